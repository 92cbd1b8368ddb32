// Turning a failed automation status into the exception that guarded steps
// catch (see com_failure.h for the exception itself).
#pragma once

#include "com/com.h"

// Throws a ComFailure for `status`, with the thread's error information when
// `object` declares error-information support for `iid`. Never returns.
[[noreturn]] void RaiseComFailure(HRESULT status, IUnknown* object, REFIID iid);

// Short form for failures that have no object to ask: an empty holder, a
// string that could not be allocated, a refused narrowing.
[[noreturn]] void RaiseComFailure(HRESULT status);
