// The test process's own memory, read from /proc/self/statm.
#pragma once

#include <cstddef>

namespace reliability {

// Resident set size in bytes (0 when it cannot be read).
std::size_t ResidentBytes();

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

} // namespace reliability
