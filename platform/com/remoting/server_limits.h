// The limits a client puts on each local server it starts: how much resident
// memory the server may use and how long one call may take. The client
// enforces both while it waits for a reply and stops the server that
// exceeds one. Defaults, and the environment variables that change them, are
// in platform/com/README.md.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

namespace paginor::remoting {

inline constexpr char kMemoryLimitVariable[] = "PAGINOR_SERVER_MEMORY_MIB";
inline constexpr char kCallTimeLimitVariable[] = "PAGINOR_SERVER_CALL_SECONDS";

inline constexpr std::uint64_t kDefaultMemoryLimitMiB = 2048;
inline constexpr double kDefaultCallTimeLimitSeconds = 60;

struct ServerLimits {
    std::uint64_t memoryBytes = kDefaultMemoryLimitMiB << 20; // 0: no limit
    std::chrono::milliseconds callTime{static_cast<long>(kDefaultCallTimeLimitSeconds * 1000)};

    // The defaults, changed by the variables that are set to a number (0
    // turns a limit off); anything else in them is ignored.
    static ServerLimits FromEnvironment();
};

// "2 GiB", "1.5 GiB", "512 MiB".
std::u16string DescribeMemorySize(std::uint64_t bytes);
// "60-second", "2.5-second".
std::u16string DescribeSeconds(std::chrono::milliseconds time);

} // namespace paginor::remoting
