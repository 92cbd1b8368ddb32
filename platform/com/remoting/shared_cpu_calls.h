// Runs a short call's two halves, the waiting client and the working server,
// on one CPU. A round trip between processes on two CPUs costs a wake-up of
// the other (idle) CPU each way, which on a virtual machine is tens of
// microseconds, more than most calls take; on one CPU the same round trip is
// two context switches. Nothing runs in parallel anyway: the client only
// waits while the server works.
//
// For a call, the calling thread is held on the CPU it is on and the server
// is moved there (and stays, so that the next call from the same CPU costs
// no move). A call that lasts a watch tick is a long one: both get their
// CPUs back at once, so that a long save or text extraction is never held
// on a CPU another program wants. The calling thread's own set of CPUs is
// restored when the call ends, whatever it was.
#pragma once

#include <sched.h>
#include <sys/types.h>

namespace paginor::remoting {

class SharedCpuCalls {
public:
    explicit SharedCpuCalls(pid_t server) noexcept;

    // Before the request is sent.
    void CallStarts() noexcept;
    // The call has outlasted a watch tick (called repeatedly; cheap after
    // the first).
    void CallIsLong() noexcept;
    // After the reply, or when the call failed.
    void CallEnds() noexcept;

private:
    void RestoreCaller() noexcept;
    void FreeServer() noexcept;

    const pid_t server_;
    cpu_set_t serverCpus_; // the server's own set, given back for long calls
    bool usable_ = false;  // false with one CPU to run on, or a server that cannot be moved
    int serverHeldOn_ = -1;
    cpu_set_t callerCpus_;
    bool callerHeld_ = false;
};

} // namespace paginor::remoting
