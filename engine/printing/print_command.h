// Starting a program found on PATH with an argument vector (never through a
// shell) and waiting for it.
#pragma once

#include <string>
#include <vector>

namespace paginor::engine {

// The program's exit status; -1 when it could not be started or did not
// exit normally. Its standard streams are /dev/null.
int runCommand(const std::vector<std::string>& arguments);

} // namespace paginor::engine
