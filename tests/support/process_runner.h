// Runs a program without a shell and without a controlling terminal, feeds
// it its standard input and collects what it prints.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace paginor::test_support {

struct ProcessOptions {
    std::filesystem::path workingDir;     // the caller's when empty
    std::string standardInput;            // what the program reads (then end of file)
    std::chrono::milliseconds timeout{0}; // 0: wait as long as it takes
};

struct ProcessResult {
    std::string out;
    std::string err;
    int exitCode = -1; // -1 when the program could not be started or was killed
    int signal = 0;    // the signal that ended it, 0 when it exited
    bool timedOut = false;
};

// Runs `program` (looked up in PATH when it has no slash) with `args`. A
// program still running at the timeout is killed with its process group.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const ProcessOptions& options = {});
// The same, in `workingDir`.
ProcessResult runProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::filesystem::path& workingDir);

// True when `program` can be found in PATH.
bool toolAvailable(const std::string& program);

} // namespace paginor::test_support
