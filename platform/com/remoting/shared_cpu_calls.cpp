#include "com/remoting/shared_cpu_calls.h"

namespace paginor::remoting {

namespace {

bool HoldOn(pid_t who, int cpu) noexcept {
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(cpu, &one);
    return ::sched_setaffinity(who, sizeof one, &one) == 0;
}

} // namespace

SharedCpuCalls::SharedCpuCalls(pid_t server) noexcept : server_(server) {
    CPU_ZERO(&serverCpus_);
    CPU_ZERO(&callerCpus_);
    usable_ = server_ > 0 && ::sched_getaffinity(server_, sizeof serverCpus_, &serverCpus_) == 0 &&
              CPU_COUNT(&serverCpus_) > 1;
}

void SharedCpuCalls::CallStarts() noexcept {
    if (!usable_) {
        return;
    }
    const int cpu = ::sched_getcpu();
    if (cpu < 0 || cpu >= CPU_SETSIZE || !CPU_ISSET(cpu, &serverCpus_)) {
        return;
    }
    if (serverHeldOn_ != cpu) {
        serverHeldOn_ = HoldOn(server_, cpu) ? cpu : -1;
    }
    if (serverHeldOn_ != cpu) {
        // The server cannot be moved (another user's process, a narrower
        // set of its own): holding the caller alone would gain nothing.
        usable_ = false;
        return;
    }
    // A caller already held on one CPU (by the host, or by a thread's own
    // choice) is left as it is.
    if (::sched_getaffinity(0, sizeof callerCpus_, &callerCpus_) == 0 &&
        CPU_COUNT(&callerCpus_) > 1) {
        callerHeld_ = HoldOn(0, cpu);
    }
}

void SharedCpuCalls::CallIsLong() noexcept {
    RestoreCaller();
    FreeServer();
}

void SharedCpuCalls::CallEnds() noexcept {
    RestoreCaller();
}

void SharedCpuCalls::RestoreCaller() noexcept {
    if (callerHeld_) {
        ::sched_setaffinity(0, sizeof callerCpus_, &callerCpus_);
        callerHeld_ = false;
    }
}

void SharedCpuCalls::FreeServer() noexcept {
    if (serverHeldOn_ >= 0) {
        ::sched_setaffinity(server_, sizeof serverCpus_, &serverCpus_);
        serverHeldOn_ = -1;
    }
}

} // namespace paginor::remoting
