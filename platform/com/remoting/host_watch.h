// How a local server notices that its host has gone. While idle, the server
// waits for its channel and for the host process together (a process
// descriptor: it also covers a host killed with SIGKILL, and a channel that
// some other process inherited), and ends when the host does. While busy in
// a call, a timer signal looks at both every 200 ms and ends the process at
// once when the host has gone, so a call that runs for minutes does not
// outlive its host. The timer runs on between calls until a tick finds the
// server idle, so the idle wait must expect one interruption.
//
// No thread: a second thread would make every allocation in the engine take
// the allocator's lock (about 2 % more instructions for a batch of fills).
// Not PR_SET_PDEATHSIG: it follows the host thread that started the server,
// and a host may start it from a thread that ends long before the host.
#pragma once

#include "com/remoting/unique_fd.h"

#include <sys/types.h>

#include <ctime>

namespace paginor::remoting {

class HostWatch {
public:
    HostWatch(int channelFd, pid_t host);
    ~HostWatch();
    HostWatch(const HostWatch&) = delete;
    HostWatch& operator=(const HostWatch&) = delete;

    // Readable once the host process has exited (-1 when the system has no
    // process descriptors; the channel's end of file still tells).
    int HostProcessFd() const { return hostProcess_.get(); }
    // True when the host had already gone when the watch began.
    bool HostAlreadyGone() const { return hostAlreadyGone_; }

    // Marks the stretch in which the server runs a call; the timer is armed
    // by the first call after an idle tick stopped it.
    void SetBusy(bool busy);

private:
    UniqueFd hostProcess_;
    bool hostAlreadyGone_ = false;
    bool timerCreated_ = false;
    timer_t timer_{};
};

} // namespace paginor::remoting
