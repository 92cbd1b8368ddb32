#include "child_process.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>

namespace reliability {

std::string ChildOutcome::Describe() const {
    if (exited)
        return "exited with " + std::to_string(exitCode);
    if (TimedOut())
        return "hung (killed by the time limit)";
    return std::string("killed by signal ") + std::to_string(signal) + " (" + strsignal(signal) +
           ")";
}

ChildOutcome RunInChild(const std::function<int()>& body, unsigned timeoutSeconds) {
    ChildOutcome outcome;
    const pid_t child = ::fork();
    if (child < 0)
        return outcome;
    if (child == 0) {
        ::alarm(timeoutSeconds);
        int code = 99;
        try {
            code = body();
        } catch (...) {
        }
        ::_exit(code);
    }
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status)) {
        outcome.exited = true;
        outcome.exitCode = WEXITSTATUS(status);
    } else if (WIFSIGNALED(status)) {
        outcome.signal = WTERMSIG(status);
    }
    return outcome;
}

} // namespace reliability
