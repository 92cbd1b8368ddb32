// Runs a program without a shell and collects what it prints.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace paginor::e2e {

struct ProcessResult {
    std::string out;
    std::string err;
    int exitCode = -1; // -1 when the program could not be started or was killed
};

// Runs `program` (looked up in PATH when it has no slash) with `args`, with
// stdin from /dev/null, in `workingDir` when it is not empty.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::filesystem::path& workingDir = {});

// True when `program` can be found in PATH.
bool toolAvailable(const std::string& program);

} // namespace paginor::e2e
