#include "com/remoting/host_watch.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace paginor::remoting {

namespace {

// How long an idle main thread gets to finish once the host has gone.
constexpr int kIdleGraceSteps = 50;
constexpr int kIdleGraceStepMs = 100;

int OpenProcessFd(pid_t pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    return -1;
#endif
}

} // namespace

HostWatch::HostWatch(int channelFd, pid_t host) {
    if (host > 0) {
        hostProcess_.reset(OpenProcessFd(host));
        // A host that died before the descriptor was opened is no longer the
        // parent.
        hostAlreadyGone_ = ::getppid() != host;
    }
    stop_.reset(::eventfd(0, EFD_CLOEXEC));
    thread_ = std::thread([this, channelFd] { Watch(channelFd); });
}

HostWatch::~HostWatch() {
    const std::uint64_t one = 1;
    if (stop_.valid()) {
        (void)::write(stop_.get(), &one, sizeof one);
    }
    thread_.join();
}

void HostWatch::Watch(int channelFd) {
    pollfd watched[3] = {
        {stop_.get(), POLLIN, 0}, {channelFd, POLLRDHUP, 0}, {hostProcess_.get(), POLLIN, 0}};
    const nfds_t count = hostProcess_.valid() ? 3 : 2;
    if (!hostAlreadyGone_) {
        for (;;) {
            const int ready = ::poll(watched, count, -1);
            if (ready < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return; // cannot watch; the channel's end of file still ends the server
            }
            if (watched[0].revents != 0) {
                return; // stopped: the server ends by itself
            }
            if (ready != 0) {
                break; // the channel's peer closed, or the host exited
            }
        }
    }
    for (int step = 0; step < kIdleGraceSteps; ++step) {
        if (busy_.load(std::memory_order_relaxed)) {
            ::_exit(0);
        }
        if (::poll(watched, 1, kIdleGraceStepMs) > 0) {
            return;
        }
    }
    ::_exit(0);
}

} // namespace paginor::remoting
