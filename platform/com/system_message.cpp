// System message texts and the per-thread last error code. Error codes on
// this platform are errno values, so the message table is the C library's.
#include "com/com.h"
#include "text_encoding/utf_conversion.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

thread_local DWORD t_lastError = 0;

constexpr DWORD kErrorInsufficientBuffer = 122;
constexpr DWORD kErrorMessageNotFound = 317;

} // namespace

extern "C" {

DWORD GetLastError() {
    return t_lastError;
}

void SetLastError(DWORD code) {
    t_lastError = code;
}

HLOCAL LocalFree(HLOCAL memory) {
    std::free(memory);
    return nullptr;
}

DWORD FormatMessageW(DWORD flags, LPCVOID /*source*/, DWORD messageId, DWORD /*languageId*/,
                     LPWSTR buffer, DWORD size, void* /*arguments*/) {
    if ((flags & FORMAT_MESSAGE_FROM_SYSTEM) == 0 || buffer == nullptr) {
        SetLastError(EINVAL);
        return 0;
    }
    const char* description =
        messageId <= 0x7FFFFFFFu ? strerrordesc_np(static_cast<int>(messageId)) : nullptr;
    if (description == nullptr) {
        SetLastError(kErrorMessageNotFound);
        return 0;
    }
    const std::u16string text = paginor::Utf8ToUtf16(description);
    const std::size_t bytes = (text.size() + 1) * sizeof(WCHAR);
    WCHAR* target = buffer;
    if ((flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) != 0) {
        // The buffer argument is really the address of the caller's pointer.
        target = static_cast<WCHAR*>(std::malloc(bytes));
        if (target == nullptr) {
            SetLastError(ENOMEM);
            return 0;
        }
        *reinterpret_cast<LPWSTR*>(buffer) = target;
    } else if (size < text.size() + 1) {
        SetLastError(kErrorInsufficientBuffer);
        return 0;
    }
    std::memcpy(target, text.c_str(), bytes);
    return static_cast<DWORD>(text.size());
}

} // extern "C"
