#include "call_guard.h"
#include "fmx/fmx_host.h"

#include <cstring>
#include <string>

namespace fmx {
namespace {

struct InjectedFault {
    bool armed = false;
    std::string call; // empty: any FM_ call
    std::int32_t code = 0;
    std::uint32_t skip = 0;
};

InjectedFault& Fault() {
    static InjectedFault fault;
    return fault;
}

} // namespace

bool TakeInjectedFault(const char* call, FMX_ErrorContainer* err) {
    InjectedFault& fault = Fault();
    if (!fault.armed || (!fault.call.empty() && fault.call != call)) {
        return false;
    }
    if (fault.skip > 0) {
        --fault.skip;
        return false;
    }
    fault.armed = false;
    Report(err, fault.code);
    return true;
}

} // namespace fmx

extern "C" {

void FMXHost_InjectError(const char* callName, int32_t code, uint32_t skip) {
    try {
        fmx::InjectedFault& fault = fmx::Fault();
        fault.call = callName != nullptr ? callName : "";
        fault.code = code;
        fault.skip = skip;
        fault.armed = true;
    } catch (...) {
        fmx::Fault().armed = false;
    }
}

void FMXHost_ClearInjectedError(void) {
    fmx::Fault().armed = false;
}

bool FMXHost_InjectedErrorPending(void) {
    return fmx::Fault().armed;
}

} // extern "C"
