// The statuses the automation interfaces answer for the core's errors. This
// is the one place where an EngineError becomes an HRESULT; its description
// goes to the error information unchanged.
#pragma once

#include "com/com.h"
#include "engine/errors/engine_error.h"

namespace paginor::engine {

HRESULT statusForError(const EngineError& error);

// An HRESULT for a failed POSIX call, chosen so the caller's message table
// has a fitting text (access denied, path not found, disk full ...).
HRESULT statusFromErrno(int error);

} // namespace paginor::engine
