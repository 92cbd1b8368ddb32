// Memory of the test process and of the engine processes it started: the
// measures the leak bounds are checked against.
#pragma once

#include "support/scoped_environment.h"

#include <sys/types.h>

#include <cstddef>
#include <optional>

namespace reliability {

// Resident set size in bytes of this process, or of `pid` (0 when it cannot
// be read).
std::size_t ResidentBytes();
std::size_t ResidentBytesOf(pid_t pid);

// Bytes the allocator has handed out and not had back. Under AddressSanitizer
// this is its own count, which leaves out the quarantine of freed blocks, so
// the measure means the same in both builds.
std::size_t HeapInUseBytes();

// AddressSanitizer keeps freed memory in quarantine (256 MB by default), so
// the resident size of a sanitized build grows until the quarantine is full
// whether or not anything leaks; LeakSanitizer checks leaks there instead.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kAddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kAddressSanitizer = true;
#else
inline constexpr bool kAddressSanitizer = false;
#endif
#else
inline constexpr bool kAddressSanitizer = false;
#endif

// While it lives, engines started by this process run without the
// sanitizer's quarantine, so that their resident size grows only with what
// they keep. Nothing changes in a plain build.
class EngineMemoryMeasurable {
public:
    EngineMemoryMeasurable();

private:
    std::optional<paginor::test_support::ScopedEnvironment> options_;
};

} // namespace reliability
