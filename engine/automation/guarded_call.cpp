#include "engine/automation/guarded_call.h"

#include "engine/automation/error_status.h"

#include "com/error_info.h"
#include "text_encoding/utf_conversion.h"

#include <exception>
#include <new>

namespace paginor::engine {

HRESULT reportFailure(REFIID iid, HRESULT status, std::string_view description) {
    try {
        return ReportComError(iid, Utf8ToUtf16(description), status);
    } catch (...) {
        return status; // out of memory while describing it: the status still tells
    }
}

void clearErrorInfo() {
    SetErrorInfo(0, nullptr);
}

HRESULT reportCurrentException(REFIID iid) {
    try {
        throw;
    } catch (const ComFailure& failure) {
        return reportFailure(iid, failure.status(), failure.what());
    } catch (const EngineError& error) {
        return reportFailure(iid, statusForError(error), error.what());
    } catch (const std::bad_alloc&) {
        return reportFailure(iid, E_OUTOFMEMORY, "Out of memory");
    } catch (const std::exception& error) {
        return reportFailure(iid, E_FAIL, error.what());
    } catch (...) {
        return reportFailure(iid, E_UNEXPECTED, "Unexpected internal failure");
    }
}

} // namespace paginor::engine
