// Every FM_ entry point runs its body through CallGuard: an armed fault
// injection is reported through the error container, and no C++ exception
// ever crosses back into a plug-in.
#pragma once

#include "fmx/fmx.h"

#include <cstdint>
#include <new>
#include <utility>

namespace fmx {

// True (and the container filled) when an injected fault is due for `call`.
bool TakeInjectedFault(const char* call, FMX_ErrorContainer* err);

inline void Report(FMX_ErrorContainer* err, std::int32_t code) {
    if (err != nullptr) {
        err->code = code;
    }
}

// Runs `body`; on an injected fault or an exception returns `fallback`.
template <typename Result, typename Body>
Result CallGuard(const char* call, FMX_ErrorContainer* err, Result fallback, Body&& body) {
    if (TakeInjectedFault(call, err)) {
        return fallback;
    }
    try {
        return std::forward<Body>(body)();
    } catch (const std::bad_alloc&) {
        Report(err, FMX_ERR_OUT_OF_MEMORY);
    } catch (...) {
        Report(err, FMX_ERR_UNKNOWN);
    }
    return fallback;
}

template <typename Body>
void CallGuardVoid(const char* call, FMX_ErrorContainer* err, Body&& body) {
    CallGuard<int>(call, err, 0, [&] {
        std::forward<Body>(body)();
        return 0;
    });
}

} // namespace fmx
