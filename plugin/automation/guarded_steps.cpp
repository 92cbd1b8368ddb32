#include "automation/guarded_steps.h"

#include "errors/last_error_record.h"
#include "text_encoding/utf_conversion.h"

#include <cstdio>

namespace {

GuardedSteps::ServerLostHandler g_serverLostHandler = nullptr;

} // namespace

WideString ComFailureDetail(HRESULT status, WideStringView description) {
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08X", static_cast<unsigned>(status));
    WideString detail = OLESTR("Error:");
    detail.append(digits, digits + 8);
    detail += OLESTR(" Description: ");
    detail += description;
    return detail;
}

GuardedSteps::~GuardedSteps() {
    if (m_serverLost && g_serverLostHandler != nullptr) {
        g_serverLostHandler();
    }
}

bool GuardedSteps::MeansServerLost(HRESULT status) noexcept {
    return status == HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE) ||
           status == HRESULT_FROM_WIN32(RPC_S_CALL_FAILED) || status == RPC_E_DISCONNECTED;
}

void GuardedSteps::SetServerLostHandler(ServerLostHandler handler) noexcept {
    g_serverLostHandler = handler;
}

void GuardedSteps::RecordComFailure(const ComFailure& failure) noexcept {
    m_serverLost = MeansServerLost(failure.Status());
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
