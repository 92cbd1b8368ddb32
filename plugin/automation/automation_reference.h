// An owning holder of one counted reference to one automation interface.
#pragma once

#include "automation/raise_com_failure.h"
#include "automation_contract/interface_identity.h"

#include <utility>

template <typename Interface> class AutomationRef {
public:
    static constexpr const IID& kIid = InterfaceIdentity<Interface>::value;

    AutomationRef() noexcept = default;
    AutomationRef(const AutomationRef& other) noexcept : m_object(other.m_object) {
        if (m_object != nullptr) {
            m_object->AddRef();
        }
    }
    AutomationRef(AutomationRef&& other) noexcept
        : m_object(std::exchange(other.m_object, nullptr)) {}
    AutomationRef& operator=(AutomationRef other) noexcept {
        std::swap(m_object, other.m_object);
        return *this;
    }
    ~AutomationRef() { Clear(); }

    bool IsEmpty() const noexcept { return m_object == nullptr; }
    explicit operator bool() const noexcept { return m_object != nullptr; }

    // Reading through an empty holder is an automation failure (E_POINTER),
    // so a missing object is reported like any other failed call.
    Interface* Get() const {
        if (m_object == nullptr) {
            RaiseComFailure(E_POINTER);
        }
        return m_object;
    }
    Interface* operator->() const { return Get(); }

    // The raw pointer, possibly null; for tests of presence and for passing
    // the object as an argument where null is acceptable.
    Interface* Peek() const noexcept { return m_object; }

    // Drops the held reference, if any.
    void Clear() noexcept {
        if (Interface* old = std::exchange(m_object, nullptr)) {
            old->Release();
        }
    }

    // Adds a reference to `object`, then drops the one held before, so that
    // storing the object already held is safe.
    void Store(Interface* object) noexcept {
        if (object != nullptr) {
            object->AddRef();
        }
        Attach(object);
    }

    // Takes over a reference that the caller already owns.
    void Attach(Interface* object) noexcept {
        if (Interface* old = std::exchange(m_object, object)) {
            old->Release();
        }
    }

    // Hands the reference over to the caller; the holder becomes empty.
    [[nodiscard]] Interface* Detach() noexcept { return std::exchange(m_object, nullptr); }

    // Out-location for an operation that hands back this interface; whatever
    // the holder had is dropped first.
    Interface** Receive() noexcept {
        Clear();
        return &m_object;
    }

    // Stores `object` as this holder's interface. A null object or an object
    // without the interface (E_NOINTERFACE) leaves the holder empty; any other
    // failure of the query raises.
    void Narrow(IUnknown* object) {
        if (object == nullptr) {
            Clear();
            return;
        }
        Interface* answer = nullptr;
        const HRESULT status = object->QueryInterface(kIid, reinterpret_cast<void**>(&answer));
        if (FAILED(status)) {
            if (answer != nullptr) {
                answer->Release(); // a misbehaving server; keep nothing
            }
            if (status == E_NOINTERFACE) {
                Clear();
                return;
            }
            RaiseComFailure(status);
        }
        Attach(answer);
    }

    // Calls one operation of the held object. A negative status raises a
    // ComFailure carrying the object's error information.
    template <typename... Params, typename... Args>
    void Call(HRESULT (STDMETHODCALLTYPE Interface::*operation)(Params...), Args&&... args) const {
        Interface* object = Get();
        const HRESULT status = (object->*operation)(std::forward<Args>(args)...);
        if (FAILED(status)) {
            RaiseComFailure(status, object, kIid);
        }
    }

private:
    Interface* m_object = nullptr;
};
