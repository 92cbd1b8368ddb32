#include "reliability_paths.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace reliability {

fs::path ExamplePath(const std::string& name) {
    return fs::path(PAGINOR_SOURCE_DIR) / "examples" / name;
}

std::optional<fs::path> CorpusFolder() {
    const char* configured = std::getenv("PAGINOR_CORPUS");
    const fs::path folder =
        configured && *configured ? fs::path(configured) : fs::path(PAGINOR_DEFAULT_CORPUS);
    if (!fs::is_directory(folder))
        return std::nullopt;
    return folder;
}

std::string ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFile(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

ScratchFolder::ScratchFolder() {
    static std::atomic<int> counter{0};
    path_ = fs::temp_directory_path() /
            ("paginor_reliability_" + std::to_string(::getpid()) + "_" + std::to_string(++counter));
    fs::remove_all(path_);
    fs::create_directories(path_);
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

} // namespace reliability
