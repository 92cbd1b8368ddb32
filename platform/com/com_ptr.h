// ComPtr<T>: owns one reference to a COM object and releases it at scope end.
#pragma once

#include "com/com.h"

#include <utility>

namespace paginor {

template <typename T> class ComPtr {
public:
    ComPtr() = default;
    ComPtr(std::nullptr_t) {}
    // Adds a reference: the caller keeps its own.
    explicit ComPtr(T* object) : object_(object) {
        if (object_ != nullptr) {
            object_->AddRef();
        }
    }
    ComPtr(const ComPtr& other) : ComPtr(other.object_) {}
    ComPtr(ComPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    ~ComPtr() { reset(); }

    ComPtr& operator=(ComPtr other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }

    // Takes over a reference the caller already owns (an out-parameter result).
    static ComPtr Adopt(T* object) {
        ComPtr result;
        result.object_ = object;
        return result;
    }

    void reset() {
        if (T* old = std::exchange(object_, nullptr)) {
            old->Release();
        }
    }

    // Gives up ownership without releasing.
    [[nodiscard]] T* detach() { return std::exchange(object_, nullptr); }

    // Releases the current object and hands out the slot for an out-parameter.
    T** put() {
        reset();
        return &object_;
    }
    void** put_void() { return reinterpret_cast<void**>(put()); }

    T* get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

    // Asks the object for another interface; an empty result on failure.
    template <typename U> HRESULT As(REFIID iid, ComPtr<U>& out) const {
        if (object_ == nullptr) {
            out.reset();
            return E_POINTER;
        }
        return object_->QueryInterface(iid, out.put_void());
    }

private:
    T* object_ = nullptr;
};

} // namespace paginor
