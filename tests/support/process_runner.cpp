#include "support/process_runner.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdlib>
#include <sstream>

extern char** environ;

namespace paginor::test_support {
namespace {

// Closes a descriptor when it goes out of scope.
class Fd {
public:
    Fd() = default;
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() { reset(); }
    int get() const { return fd_; }
    void reset(int fd = -1) {
        if (fd_ >= 0) {
            ::close(fd_);
        }
        fd_ = fd;
    }

private:
    int fd_ = -1;
};

struct Pipe {
    Fd read;
    Fd write;
    bool open() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) != 0) {
            return false;
        }
        read.reset(fds[0]);
        write.reset(fds[1]);
        return true;
    }
};

class SpawnSetup {
public:
    SpawnSetup() {
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attributes);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attributes);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
};

using Clock = std::chrono::steady_clock;

// Feeds stdin and reads stdout and stderr together, so neither side can block
// the other, until both outputs end or the deadline passes. Answers false on
// a timeout.
bool exchange(Fd& in, const std::string& input, Fd& out, Fd& err, ProcessResult& result,
              std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    std::array<char, 65536> buffer{};
    std::size_t written = 0;
    if (input.empty()) {
        in.reset();
    }
    std::string* sinks[2] = {&result.out, &result.err};
    Fd* outputs[2] = {&out, &err};
    bool open[2] = {true, true};
    while (open[0] || open[1]) {
        pollfd fds[3] = {{open[0] ? out.get() : -1, POLLIN, 0},
                         {open[1] ? err.get() : -1, POLLIN, 0},
                         {in.get(), POLLOUT, 0}};
        int wait = -1;
        if (timeout.count() > 0) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0) {
                return false;
            }
            wait = static_cast<int>(left.count());
        }
        const int ready = ::poll(fds, 3, wait);
        if (ready < 0) {
            if (errno == EINTR) {
                continue;
            }
            return true;
        }
        if (ready == 0) {
            continue; // the deadline check above ends the wait
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0) {
                continue;
            }
            const ssize_t count = ::read(fds[i].fd, buffer.data(), buffer.size());
            if (count > 0) {
                sinks[i]->append(buffer.data(), static_cast<std::size_t>(count));
            } else if (count == 0 || errno != EINTR) {
                open[i] = false;
                outputs[i]->reset();
            }
        }
        if (fds[2].fd >= 0 && fds[2].revents != 0) {
            const ssize_t count =
                (fds[2].revents & POLLOUT) != 0
                    ? ::write(in.get(), input.data() + written, input.size() - written)
                    : -1;
            if (count > 0) {
                written += static_cast<std::size_t>(count);
            }
            if (count < 0 ? errno != EINTR && errno != EAGAIN : written == input.size()) {
                in.reset(); // all written, or the program closed its input
            }
        }
    }
    return true;
}

} // namespace

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const ProcessOptions& options) {
    ProcessResult result;
    std::vector<std::string> storage;
    storage.push_back(program);
    storage.insert(storage.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : storage) {
        argv.push_back(arg.data());
    }
    argv.push_back(nullptr);

    Pipe in;
    Pipe out;
    Pipe err;
    if (!in.open() || !out.open() || !err.open()) {
        result.err = "cannot make pipes for " + program;
        return result;
    }
    SpawnSetup setup;
    posix_spawn_file_actions_adddup2(&setup.actions, in.read.get(), 0);
    posix_spawn_file_actions_adddup2(&setup.actions, out.write.get(), 1);
    posix_spawn_file_actions_adddup2(&setup.actions, err.write.get(), 2);
    if (!options.workingDir.empty()) {
        posix_spawn_file_actions_addchdir_np(&setup.actions, options.workingDir.c_str());
    }
    // A new session has no controlling terminal: nothing may wait for a
    // person, and a timeout can end the program's whole process group.
    posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETSID);
    // A program that stops reading its input must not kill us with SIGPIPE.
    struct sigaction ignore {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction previous {};
    ::sigaction(SIGPIPE, &ignore, &previous);

    pid_t pid = 0;
    const int spawned = ::posix_spawnp(&pid, program.c_str(), &setup.actions, &setup.attributes,
                                       argv.data(), environ);
    in.read.reset();
    out.write.reset();
    err.write.reset();
    if (spawned != 0) {
        ::sigaction(SIGPIPE, &previous, nullptr);
        result.err = "cannot start " + program;
        return result;
    }
    if (!exchange(in.write, options.standardInput, out.read, err.read, result, options.timeout)) {
        result.timedOut = true;
        ::kill(-pid, SIGKILL);
    }
    ::sigaction(SIGPIPE, &previous, nullptr);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) {
        result.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        result.signal = WTERMSIG(status);
        result.err += "\nkilled by signal " + std::to_string(result.signal);
    }
    return result;
}

ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::filesystem::path& workingDir) {
    ProcessOptions options;
    options.workingDir = workingDir;
    return runProcess(program, args, options);
}

bool toolAvailable(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path ? path : "/usr/bin:/bin");
    for (std::string folder; std::getline(folders, folder, ':');) {
        if (!folder.empty() && ::access((folder + "/" + program).c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

} // namespace paginor::test_support
