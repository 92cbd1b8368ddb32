// Root ignores file permissions, so a test of refused access proves nothing
// when CI runs it as root. These helpers run the refused access as an
// ordinary user instead: in a forked child that gives up root for good.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <string>

namespace paginor::test_support {

// The user and group a root-run test drops to (nobody).
inline constexpr uid_t kUnprivilegedId = 65534;

bool runningAsRoot();

// Gives `path` and everything under it to the unprivileged user, so that it
// can work there. Empty on success, else the reason. Does nothing when not
// running as root.
std::string handOverToUnprivileged(const std::filesystem::path& path);

struct UnprivilegedOutcome {
    std::string failure; // why the body did not run to its end; empty when it did
    int exitCode = -1;   // what the body returned
    std::string report;  // what the body wrote into its report
};

// Runs `body` in a forked child without any privilege: as root, the child
// sets its groups, group and user to kUnprivilegedId first (and fails when
// root cannot be given up); otherwise it keeps the current user. The body's
// report and return value come back in the outcome; it has `timeoutSeconds`.
UnprivilegedOutcome runUnprivileged(const std::function<int(std::string& report)>& body,
                                    unsigned timeoutSeconds = 120);

} // namespace paginor::test_support
