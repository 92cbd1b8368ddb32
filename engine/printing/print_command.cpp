#include "engine/printing/print_command.h"

#include "engine/document/file_descriptor.h"

#include <cerrno>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace paginor::engine {

namespace {

constexpr std::size_t kKeptErrorOutput = 4096;

class SpawnActions {
public:
    SpawnActions() { posix_spawn_file_actions_init(&actions_); }
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    posix_spawn_file_actions_t* get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

// Reads the pipe to its end, keeping the first part.
std::string drain(const FileDescriptor& reading) {
    std::string kept;
    char chunk[1024];
    for (;;) {
        const ssize_t got = ::read(reading.get(), chunk, sizeof chunk);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            return kept;
        }
        if (kept.size() < kKeptErrorOutput) {
            kept.append(chunk,
                        std::min(static_cast<std::size_t>(got), kKeptErrorOutput - kept.size()));
        }
    }
}

} // namespace

CommandOutcome runCommand(const std::vector<std::string>& arguments) {
    CommandOutcome outcome;
    if (arguments.empty()) {
        outcome.startError = EINVAL;
        return outcome;
    }
    std::vector<char*> argv;
    for (const auto& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);

    int ends[2] = {-1, -1};
    if (::pipe2(ends, O_CLOEXEC) != 0) {
        outcome.startError = errno;
        return outcome;
    }
    FileDescriptor reading(ends[0]);
    FileDescriptor writing(ends[1]);
    SpawnActions actions;
    posix_spawn_file_actions_addopen(actions.get(), 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(actions.get(), 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(actions.get(), writing.get(), 2);
    pid_t child = 0;
    if (const int error =
            posix_spawnp(&child, argv[0], actions.get(), nullptr, argv.data(), environ);
        error != 0) {
        outcome.startError = error;
        return outcome;
    }
    writing.reset();
    outcome.errorOutput = drain(reading);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) {
            return outcome;
        }
    }
    outcome.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return outcome;
}

} // namespace paginor::engine
