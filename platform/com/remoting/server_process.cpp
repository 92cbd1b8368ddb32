#include "com/remoting/server_process.h"

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <thread>
#include <vector>

extern char** environ;

namespace paginor::remoting {

namespace {

int OpenPidFd(pid_t pid) {
#ifdef SYS_pidfd_open
    return static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
#else
    (void)pid;
    errno = ENOSYS;
    return -1;
#endif
}

// The host's environment with the registry the client reads now, so that
// the server finds the same interface modules.
std::vector<std::string> ServerEnvironment(const std::string& registryPath) {
    std::vector<std::string> variables;
    constexpr std::string_view kRegistry = "PAGINOR_COM_REGISTRY=";
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        if (!std::string_view(*entry).starts_with(kRegistry)) {
            variables.emplace_back(*entry);
        }
    }
    variables.push_back(std::string(kRegistry) + registryPath);
    return variables;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

std::string ProcessEnd::Describe() const {
    switch (kind) {
    case Kind::Exited:
        return "exit status " + std::to_string(number);
    case Kind::Signalled: {
        const char* name = ::strsignal(number);
        return name != nullptr ? std::string(name) : "signal " + std::to_string(number);
    }
    case Kind::Unknown:
        break;
    }
    return "an unknown cause";
}

ServerProcess::ServerProcess(pid_t pid) : pid_(pid) {
    pidfd_.reset(OpenPidFd(pid));
    const std::string statm = "/proc/" + std::to_string(pid) + "/statm";
    statm_.reset(::open(statm.c_str(), O_RDONLY | O_CLOEXEC));
}

std::unique_ptr<ServerProcess> ServerProcess::Start(const LocalServerEntry& entry, UniqueFd channel,
                                                    std::string& failure) {
    std::vector<std::string> arguments{entry.executable, "--channel-fd",
                                       std::to_string(kServerChannelFd), "--host-pid",
                                       std::to_string(::getpid())};
    if (!entry.module.empty()) {
        arguments.push_back(entry.module);
    }
    std::vector<std::string> environment = ServerEnvironment(entry.registryPath);
    std::vector<char*> argv = Pointers(arguments);
    std::vector<char*> envp = Pointers(environment);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attributes);
    // The channel becomes descriptor 3 (dup2 clears close-on-exec); stdin is
    // not the server's to read.
    posix_spawn_file_actions_adddup2(&actions, channel.get(), kServerChannelFd);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    // Whatever the host blocks or ignores (SIGCHLD, SIGPIPE, ...) is reset,
    // so the server and the programs it starts see the usual signals.
    sigset_t all;
    sigfillset(&all);
    sigset_t none;
    sigemptyset(&none);
    posix_spawnattr_setsigdefault(&attributes, &all);
    posix_spawnattr_setsigmask(&attributes, &none);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

    pid_t pid = 0;
    const int status = ::posix_spawn(&pid, entry.executable.c_str(), &actions, &attributes,
                                     argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    if (status != 0) {
        failure = std::strerror(status);
        return nullptr;
    }
    return std::unique_ptr<ServerProcess>(new ServerProcess(pid));
}

ServerProcess::~ServerProcess() {
    Reap(std::chrono::seconds(10));
}

std::optional<std::uint64_t> ServerProcess::ResidentBytes() const {
    if (end_ || !statm_.valid()) {
        return std::nullopt;
    }
    char text[128];
    const ssize_t got = ::pread(statm_.get(), text, sizeof text - 1, 0);
    if (got <= 0) {
        return std::nullopt;
    }
    text[got] = '\0';
    // "size resident shared ..." in pages.
    char* end = nullptr;
    std::strtoull(text, &end, 10);
    const char* residentText = end;
    const unsigned long long resident = std::strtoull(residentText, &end, 10);
    if (end == residentText) {
        return std::nullopt;
    }
    static const auto pageSize = static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
    return resident * pageSize;
}

void ServerProcess::Kill() {
    if (!end_) {
        ::kill(pid_, SIGKILL);
    }
}

bool ServerProcess::WaitForEnd(std::chrono::milliseconds grace) {
    if (pidfd_.valid()) {
        pollfd entry{pidfd_.get(), POLLIN, 0};
        int ready = 0;
        do {
            ready = ::poll(&entry, 1, static_cast<int>(grace.count()));
        } while (ready < 0 && errno == EINTR);
        return ready > 0;
    }
    // Without process descriptors: look every few milliseconds.
    const auto until = std::chrono::steady_clock::now() + grace;
    for (;;) {
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
            info.si_pid == pid_) {
            return true;
        }
        if (std::chrono::steady_clock::now() >= until) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
}

ProcessEnd ServerProcess::Reap(std::chrono::milliseconds grace) {
    if (end_) {
        return *end_;
    }
    if (!WaitForEnd(grace)) {
        ::kill(pid_, SIGKILL);
    }
    ProcessEnd end;
    int status = 0;
    pid_t reaped = 0;
    do {
        reaped = ::waitpid(pid_, &status, 0);
    } while (reaped < 0 && errno == EINTR);
    if (reaped == pid_) {
        if (WIFEXITED(status)) {
            end = {ProcessEnd::Kind::Exited, WEXITSTATUS(status)};
        } else if (WIFSIGNALED(status)) {
            end = {ProcessEnd::Kind::Signalled, WTERMSIG(status)};
        }
    }
    // ECHILD: the host reaps its children itself (or ignores SIGCHLD); the
    // process is gone, how it ended is not known.
    end_ = end;
    statm_.reset();
    pidfd_.reset();
    return end;
}

} // namespace paginor::remoting
