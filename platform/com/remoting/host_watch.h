// Ends a local server whose host has gone while the server is busy in a
// call (an idle server notices on its own: its channel reads end of file).
// A thread waits for the channel's peer to close and for the host process
// to exit (through a process descriptor, which also covers a host killed
// with SIGKILL and a channel inherited by some other process). If the main
// thread is in a call then, or does not end within a few seconds, the
// process exits at once.
#pragma once

#include "com/remoting/unique_fd.h"

#include <sys/types.h>

#include <atomic>
#include <thread>

namespace paginor::remoting {

class HostWatch {
public:
    HostWatch(int channelFd, pid_t host);
    ~HostWatch(); // stops the thread
    HostWatch(const HostWatch&) = delete;
    HostWatch& operator=(const HostWatch&) = delete;

    // Marks the stretch in which the main thread runs a call.
    void SetBusy(bool busy) { busy_.store(busy, std::memory_order_relaxed); }

private:
    void Watch(int channelFd);

    UniqueFd hostProcess_;
    UniqueFd stop_;
    std::atomic<bool> busy_{false};
    bool hostAlreadyGone_ = false;
    std::thread thread_;
};

} // namespace paginor::remoting
