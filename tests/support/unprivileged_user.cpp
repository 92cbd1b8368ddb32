#include "support/unprivileged_user.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace paginor::test_support {

namespace fs = std::filesystem;

namespace {

std::string SystemFailure(const char* what) {
    return std::string(what) + ": " + std::strerror(errno);
}

// Gives up root for good; empty on success.
std::string DropRoot() {
    if (::setgroups(0, nullptr) != 0)
        return SystemFailure("setgroups");
    if (::setresgid(kUnprivilegedId, kUnprivilegedId, kUnprivilegedId) != 0)
        return SystemFailure("setresgid");
    if (::setresuid(kUnprivilegedId, kUnprivilegedId, kUnprivilegedId) != 0)
        return SystemFailure("setresuid");
    if (::setuid(0) == 0)
        return "root could be taken back";
    return {};
}

void WriteAll(int fd, const std::string& text) {
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t written = ::write(fd, text.data() + done, text.size() - done);
        if (written <= 0 && errno != EINTR)
            return;
        if (written > 0)
            done += static_cast<std::size_t>(written);
    }
}

} // namespace

bool runningAsRoot() {
    return ::geteuid() == 0;
}

std::string handOverToUnprivileged(const fs::path& path) {
    if (!runningAsRoot())
        return {};
    auto give = [](const fs::path& item) -> std::string {
        if (::lchown(item.c_str(), kUnprivilegedId, kUnprivilegedId) != 0)
            return SystemFailure(("chown " + item.string()).c_str());
        return {};
    };
    if (std::string failure = give(path); !failure.empty())
        return failure;
    std::error_code error;
    if (fs::is_directory(path, error)) {
        for (const auto& entry : fs::recursive_directory_iterator(path, error)) {
            if (std::string failure = give(entry.path()); !failure.empty())
                return failure;
        }
    }
    return error ? "cannot list " + path.string() + ": " + error.message() : std::string();
}

UnprivilegedOutcome runUnprivileged(const std::function<int(std::string& report)>& body,
                                    unsigned timeoutSeconds) {
    UnprivilegedOutcome outcome;
    int channel[2];
    if (::pipe(channel) != 0) {
        outcome.failure = SystemFailure("pipe");
        return outcome;
    }
    const pid_t child = ::fork();
    if (child < 0) {
        outcome.failure = SystemFailure("fork");
        ::close(channel[0]);
        ::close(channel[1]);
        return outcome;
    }
    if (child == 0) {
        ::close(channel[0]);
        ::alarm(timeoutSeconds);
        // The first byte says whether the body ran: 'R' for ran, 'F' for a failure to drop root.
        if (runningAsRoot()) {
            if (const std::string failure = DropRoot(); !failure.empty()) {
                WriteAll(channel[1], "F" + failure);
                ::_exit(99);
            }
        }
        std::string report;
        int code = 98;
        try {
            code = body(report);
        } catch (const std::exception& error) {
            report += std::string("\nexception: ") + error.what();
        }
        WriteAll(channel[1], "R" + report);
        ::_exit(code);
    }
    ::close(channel[1]);
    std::string received;
    char buffer[4096];
    for (;;) {
        const ssize_t got = ::read(channel[0], buffer, sizeof buffer);
        if (got > 0)
            received.append(buffer, static_cast<std::size_t>(got));
        else if (got == 0 || errno != EINTR)
            break;
    }
    ::close(channel[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    if (received.empty() || (received[0] != 'R' && received[0] != 'F')) {
        outcome.failure = WIFSIGNALED(status) ? std::string("the child ended by signal ") +
                                                    strsignal(WTERMSIG(status))
                                              : "the child ended without a report";
        return outcome;
    }
    if (received[0] == 'F') {
        outcome.failure = "cannot give up root: " + received.substr(1);
        return outcome;
    }
    outcome.report = received.substr(1);
    if (WIFEXITED(status))
        outcome.exitCode = WEXITSTATUS(status);
    else
        outcome.failure = std::string("the child ended by signal ") + strsignal(WTERMSIG(status));
    return outcome;
}

} // namespace paginor::test_support
