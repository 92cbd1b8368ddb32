// Runs a piece of a test in a forked child, so that a crash or a hang ends
// the child, not the test program. The child is killed with SIGALRM when it
// runs past its limit.
#pragma once

#include <functional>
#include <string>

namespace reliability {

struct ChildOutcome {
    bool exited = false; // ended by returning (or _exit)
    int exitCode = -1;
    int signal = 0;                                // the signal that ended it, 0 when it exited
    bool TimedOut() const { return signal == 14; } // SIGALRM
    bool Clean() const { return exited && exitCode == 0; }
    std::string Describe() const;
};

// `body` runs in the child; its return value is the exit code. Exceptions
// leaving it count as exit code 99.
ChildOutcome RunInChild(const std::function<int()>& body, unsigned timeoutSeconds);

} // namespace reliability
