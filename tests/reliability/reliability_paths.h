// Where the reliability tests find their inputs and put their files.
#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace reliability {

namespace fs = std::filesystem;

fs::path ExamplePath(const std::string& name);
// env PAGINOR_CORPUS, else the shared corpus beside the repository; nothing
// when it is absent.
std::optional<fs::path> CorpusFolder();

std::string ReadFile(const fs::path& path);
void WriteFile(const fs::path& path, const std::string& bytes);

// A fresh folder under the system's temporary folder, removed afterwards.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    const fs::path& Path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }

private:
    fs::path path_;
};

} // namespace reliability
