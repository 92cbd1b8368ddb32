// Runs the body of one interface method so that no exception leaves it: a
// ComFailure becomes its status, an EngineError the status of its kind
// (error_status.h), anything else a generic failure, and in
// every failing case the thread's error information describes what happened.
#pragma once

#include "com/com.h"
#include "engine/automation/com_failure.h"

#include <string_view>

namespace paginor::engine {

// Sets the thread's error information for `iid` (UTF-8 description) and
// returns `status`.
HRESULT reportFailure(REFIID iid, HRESULT status, std::string_view description);

// Clears stale error information at the start of a call, so a caller that
// looks after a failure never reads an older call's description.
void clearErrorInfo();

HRESULT reportCurrentException(REFIID iid);

template <typename Body> HRESULT guardedCall(REFIID iid, Body&& body) noexcept {
    try {
        clearErrorInfo();
        return body();
    } catch (...) {
        return reportCurrentException(iid);
    }
}

} // namespace paginor::engine
