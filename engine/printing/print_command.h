// Starting a program found on PATH with an argument vector (never through a
// shell) and waiting for it.
#pragma once

#include <string>
#include <vector>

namespace paginor::engine {

struct CommandOutcome {
    // The exit status; -1 when the program could not be started or did not
    // exit normally.
    int exitStatus = -1;
    // Why it could not be started (an errno; 0 when it started).
    int startError = 0;
    // What it wrote on its standard error (the first 4 KiB).
    std::string errorOutput;
};

// Standard input and output are /dev/null; standard error is collected.
CommandOutcome runCommand(const std::vector<std::string>& arguments);

} // namespace paginor::engine
