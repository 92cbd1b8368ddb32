#include "process_memory.h"

#include <malloc.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <string>

extern "C" std::size_t __sanitizer_get_current_allocated_bytes() __attribute__((weak));

namespace reliability {

namespace {

std::size_t ResidentBytesIn(const std::string& statmPath) {
    std::ifstream statm(statmPath);
    std::size_t totalPages = 0, residentPages = 0;
    if (!(statm >> totalPages >> residentPages))
        return 0;
    return residentPages * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
}

} // namespace

std::size_t ResidentBytes() {
    return ResidentBytesIn("/proc/self/statm");
}

std::size_t ResidentBytesOf(pid_t pid) {
    return ResidentBytesIn("/proc/" + std::to_string(pid) + "/statm");
}

std::size_t HeapInUseBytes() {
    if (__sanitizer_get_current_allocated_bytes != nullptr)
        return __sanitizer_get_current_allocated_bytes();
    const struct mallinfo2 info = ::mallinfo2();
    return info.uordblks + info.hblkhd;
}

EngineMemoryMeasurable::EngineMemoryMeasurable() {
    if (!kAddressSanitizer)
        return;
    const char* existing = std::getenv("ASAN_OPTIONS");
    std::string options = existing ? std::string(existing) + ":" : std::string();
    options_.emplace("ASAN_OPTIONS",
                     options + "quarantine_size_mb=0:thread_local_quarantine_size_kb=0");
}

} // namespace reliability
