#include "com/remoting/host_watch.h"

#include <poll.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>

namespace paginor::remoting {

namespace {

constexpr long kBusyCheckNanoseconds = 200'000'000;

// What the signal handler looks at (one watch per process).
volatile sig_atomic_t g_channelFd = -1;
volatile sig_atomic_t g_hostProcessFd = -1;
// The timer stays armed from one call to the next and is stopped by the
// first tick that finds the server idle: two system calls a call fewer, at
// the price of one tick after the last call.
timer_t g_timer{};
std::atomic<int> g_busy{0};
std::atomic<int> g_armed{0};
static_assert(std::atomic<int>::is_always_lock_free, "used from a signal handler");

void SetPeriod(long nanoseconds) {
    itimerspec period{};
    period.it_value.tv_nsec = nanoseconds;
    period.it_interval.tv_nsec = nanoseconds;
    ::timer_settime(g_timer, 0, &period, nullptr);
}

int WatchSignal() {
    return SIGRTMIN + 4;
}

int OpenProcessFd(pid_t pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    return -1;
#endif
}

// Runs in the middle of a call: only async-signal-safe calls.
void CheckHost(int) {
    const int savedErrno = errno;
    pollfd watched[2] = {{g_channelFd, POLLRDHUP, 0}, {g_hostProcessFd, POLLIN, 0}};
    const nfds_t count = g_hostProcessFd >= 0 ? 2 : 1;
    if (::poll(watched, count, 0) > 0) {
        ::_exit(0); // the host has gone: nobody waits for this call's answer
    }
    if (g_busy.load() == 0) {
        g_armed.store(0);
        SetPeriod(0);
        if (g_busy.load() != 0) { // a call began meanwhile and saw the timer armed
            g_armed.store(1);
            SetPeriod(kBusyCheckNanoseconds);
        }
    }
    errno = savedErrno;
}

} // namespace

HostWatch::HostWatch(int channelFd, pid_t host) {
    if (host > 0) {
        hostProcess_.reset(OpenProcessFd(host));
        // A host that died before the descriptor was opened is no longer the
        // parent.
        hostAlreadyGone_ = ::getppid() != host;
    }
    g_channelFd = channelFd;
    g_hostProcessFd = hostProcess_.get();

    struct sigaction action {};
    action.sa_handler = CheckHost;
    action.sa_flags = SA_RESTART; // the engine's system calls go on after a check
    sigemptyset(&action.sa_mask);
    ::sigaction(WatchSignal(), &action, nullptr);

    sigevent event{};
    event.sigev_notify = SIGEV_SIGNAL;
    event.sigev_signo = WatchSignal();
    timerCreated_ = ::timer_create(CLOCK_MONOTONIC, &event, &timer_) == 0;
    g_timer = timer_;
    g_busy.store(0);
    g_armed.store(0);
}

HostWatch::~HostWatch() {
    if (timerCreated_) {
        ::timer_delete(timer_);
    }
    ::signal(WatchSignal(), SIG_DFL);
    g_channelFd = -1;
    g_hostProcessFd = -1;
}

void HostWatch::SetBusy(bool busy) {
    if (!timerCreated_) {
        return;
    }
    g_busy.store(busy ? 1 : 0);
    if (busy && g_armed.load() == 0) {
        g_armed.store(1);
        SetPeriod(kBusyCheckNanoseconds);
    }
}

} // namespace paginor::remoting
