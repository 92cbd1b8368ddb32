// The test process's own memory, read from /proc/self/statm.
#pragma once

#include <cstddef>

namespace reliability {

// Resident set size in bytes (0 when it cannot be read).
std::size_t ResidentBytes();

} // namespace reliability
