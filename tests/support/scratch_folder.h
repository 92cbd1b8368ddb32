// A private folder under the system's temporary folder, removed with all it
// holds when the test is done with it (also when the test made parts of it
// read-only).
#pragma once

#include <filesystem>
#include <string>

namespace paginor::test_support {

class ScratchFolder {
public:
    // The folder's name starts with `prefix` and ends in random characters.
    explicit ScratchFolder(const std::string& prefix = "paginor-test");
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

// A file's bytes; empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);
// Replaces the file's content with `bytes`.
void writeFile(const std::filesystem::path& path, const std::string& bytes);

} // namespace paginor::test_support
