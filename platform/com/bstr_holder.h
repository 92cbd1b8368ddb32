// BstrHolder: owns one BSTR and frees it at scope end.
#pragma once

#include "com/com.h"
#include "win/wide_string.h"

#include <string>
#include <string_view>
#include <utility>

namespace paginor {

class BstrHolder {
public:
    BstrHolder() = default;
    // Copies the text; check valid() when the text is non-empty, since the
    // allocation can fail.
    explicit BstrHolder(WideStringView text)
        : text_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
    BstrHolder(const BstrHolder&) = delete;
    BstrHolder& operator=(const BstrHolder&) = delete;
    BstrHolder(BstrHolder&& other) noexcept : text_(std::exchange(other.text_, nullptr)) {}
    BstrHolder& operator=(BstrHolder&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.text_, nullptr));
        }
        return *this;
    }
    ~BstrHolder() { SysFreeString(text_); }

    // Takes over a BSTR the caller owns.
    static BstrHolder Adopt(BSTR text) {
        BstrHolder holder;
        holder.text_ = text;
        return holder;
    }

    void reset(BSTR text = nullptr) { SysFreeString(std::exchange(text_, text)); }
    // Frees the current text and hands out the slot for an out-parameter.
    BSTR* put() {
        reset();
        return &text_;
    }
    [[nodiscard]] BSTR detach() { return std::exchange(text_, nullptr); }

    bool valid() const { return text_ != nullptr; }
    BSTR get() const { return text_; }
    WideStringView view() const {
        return text_ == nullptr ? WideStringView() : WideStringView(text_, SysStringLen(text_));
    }
    WideString str() const { return WideString(view()); }

private:
    BSTR text_ = nullptr;
};

} // namespace paginor
