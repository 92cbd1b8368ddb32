#include "support/corpus.h"

#include "support/repository_paths.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace paginor::test_support {

namespace fs = std::filesystem;

namespace {

fs::path configuredCorpus() {
    if (const char* configured = std::getenv("PAGINOR_CORPUS"); configured && *configured) {
        return configured;
    }
    return (repositoryRoot() / ".." / "shared" / "corpus").lexically_normal();
}

std::vector<fs::path> sortedPdfFiles(const fs::path& folder, bool recursive) {
    std::vector<fs::path> files;
    std::error_code error;
    if (recursive) {
        for (const auto& entry : fs::recursive_directory_iterator(folder, error)) {
            if (entry.is_regular_file() && entry.path().extension() == ".pdf") {
                files.push_back(entry.path());
            }
        }
    } else {
        for (const auto& entry : fs::directory_iterator(folder, error)) {
            if (entry.path().extension() == ".pdf") {
                files.push_back(entry.path());
            }
        }
    }
    std::sort(files.begin(), files.end());
    return files;
}

} // namespace

std::optional<fs::path> corpusFolder() {
    fs::path folder = configuredCorpus();
    if (!fs::is_directory(folder)) {
        return std::nullopt;
    }
    return folder;
}

std::vector<fs::path> corpusFiles(const std::string& folder) {
    const auto corpus = corpusFolder();
    if (!corpus || !fs::is_directory(*corpus / folder)) {
        return {};
    }
    return sortedPdfFiles(*corpus / folder, false);
}

std::vector<fs::path> allCorpusFiles() {
    const auto corpus = corpusFolder();
    return corpus ? sortedPdfFiles(*corpus, true) : std::vector<fs::path>{};
}

std::vector<std::string> manifestRow(const std::string& relativePath) {
    const auto corpus = corpusFolder();
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

std::string testNameFor(const fs::path& path) {
    std::string name = path.stem().string();
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            c = '_';
        }
    }
    return name;
}

std::string noCorpusReason() {
    return "no corpus at " + configuredCorpus().string() +
           " (set PAGINOR_CORPUS or put it beside the repository)";
}

} // namespace paginor::test_support
