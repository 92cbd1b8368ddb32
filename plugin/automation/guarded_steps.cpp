#include "automation/guarded_steps.h"

#include "errors/last_error_record.h"
#include "text_encoding/utf_conversion.h"

#include <cstdio>

WideString ComFailureDetail(HRESULT status, WideStringView description) {
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08X", static_cast<unsigned>(status));
    WideString detail = OLESTR("Error:");
    detail.append(digits, digits + 8);
    detail += OLESTR(" Description: ");
    detail += description;
    return detail;
}

void GuardedSteps::RecordComFailure(const ComFailure& failure) noexcept {
    try {
        SetError(kErrorComException, 0, ComFailureDetail(failure.Status(), failure.Description()));
    } catch (...) {
        // Out of memory while reporting: the record keeps what it had.
    }
}

void GuardedSteps::RecordUnknownException(const char* message) noexcept {
    try {
        SetError(kErrorUnknownException, 0, UnknownExceptionDetail(WideFromUtf8(message)));
    } catch (...) {
        // Out of memory while reporting: the record keeps what it had.
    }
}
