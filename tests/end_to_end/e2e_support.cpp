#include "e2e_support.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace paginor::e2e {

namespace fs = std::filesystem;

fs::path sourceDir() {
    return PAGINOR_SOURCE_DIR;
}

fs::path examplesDir() {
    return sourceDir() / "examples";
}

std::optional<fs::path> corpusDir() {
    if (const char* configured = std::getenv("PAGINOR_CORPUS"); configured && *configured) {
        return fs::is_directory(configured) ? std::optional<fs::path>(configured) : std::nullopt;
    }
    const fs::path beside = sourceDir() / ".." / "shared" / "corpus";
    return fs::is_directory(beside) ? std::optional<fs::path>(beside.lexically_normal())
                                    : std::nullopt;
}

std::vector<fs::path> corpusFiles(const std::string& folder) {
    std::vector<fs::path> files;
    auto corpus = corpusDir();
    if (!corpus || !fs::is_directory(*corpus / folder)) {
        return files;
    }
    for (const auto& entry : fs::directory_iterator(*corpus / folder)) {
        if (entry.path().extension() == ".pdf") {
            files.push_back(entry.path());
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

std::vector<std::string> manifestRow(const std::string& relativePath) {
    auto corpus = corpusDir();
    if (!corpus) {
        return {};
    }
    std::ifstream in(*corpus / "MANIFEST.tsv");
    for (std::string line; std::getline(in, line);) {
        if (line.compare(0, relativePath.size() + 1, relativePath + "\t") != 0) {
            continue;
        }
        std::vector<std::string> columns;
        std::stringstream row(line);
        for (std::string column; std::getline(row, column, '\t');) {
            columns.push_back(column);
        }
        return columns;
    }
    return {};
}

TempDir::TempDir() {
    std::string pattern = (fs::temp_directory_path() / "paginor-e2e-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("cannot create a temporary folder");
    }
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    fs::remove_all(path_, ignored);
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

std::string testNameFor(const fs::path& path) {
    std::string name = path.stem().string();
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            c = '_';
        }
    }
    return name;
}

} // namespace paginor::e2e
