// Where the test inputs live, and scratch folders that clean up after themselves.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace paginor::e2e {

std::filesystem::path sourceDir();
std::filesystem::path examplesDir();

// The shared corpus (env PAGINOR_CORPUS, else beside the repository), when present.
std::optional<std::filesystem::path> corpusDir();

// The PDF files of one corpus folder, sorted; empty when the corpus is absent.
std::vector<std::filesystem::path> corpusFiles(const std::string& folder);

// The MANIFEST.tsv row of a corpus file ("forms/x.pdf"), column by column.
std::vector<std::string> manifestRow(const std::string& relativePath);

// A private folder under the system's temporary folder, removed with its
// contents on destruction.
class TempDir {
public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// A file's bytes; empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);

// A test name made of letters, digits and underscores.
std::string testNameFor(const std::filesystem::path& path);

} // namespace paginor::e2e
