#include "errors/unknown_exception_detail.h"

#include "com/com.h"

#include <memory>

namespace {

constexpr DWORD kSystemMessageFlags =
    FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
constexpr DWORD kUserDefaultLanguage = 0x400;

struct LocalFreeDeleter {
    void operator()(WCHAR* text) const noexcept { LocalFree(text); }
};

WideString SystemMessageForLastError() {
    WCHAR* raw = nullptr;
    const DWORD length =
        FormatMessageW(kSystemMessageFlags, nullptr, GetLastError(), kUserDefaultLanguage,
                       reinterpret_cast<LPWSTR>(&raw), 0, nullptr);
    const std::unique_ptr<WCHAR, LocalFreeDeleter> owned(raw);
    if (length == 0 || raw == nullptr) {
        return {};
    }
    return WideString(raw, length);
}

} // namespace

WideString UnknownExceptionDetail(WideStringView message, WideStringView object) {
    WideString detail = OLESTR("UNKNOWN EXCEPTION: FUNC:");
    detail += SystemMessageForLastError();
    detail += OLESTR("\nOBJ: ");
    detail += object;
    detail += OLESTR("\nMSG: ");
    detail += message;
    return detail;
}
