// The shared corpus of real-world PDF files: where it is, which files it
// holds, and a clean skip for tests that need it when it is absent.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace paginor::test_support {

// The corpus folder: $PAGINOR_CORPUS when set, else shared/corpus beside the
// repository; nothing when that folder does not exist.
std::optional<std::filesystem::path> corpusFolder();

// The PDF files of one corpus folder ("forms", "text", ...), sorted; empty
// when the corpus or the folder is absent.
std::vector<std::filesystem::path> corpusFiles(const std::string& folder);
// Every PDF file of the corpus, in all its folders, sorted.
std::vector<std::filesystem::path> allCorpusFiles();

// The MANIFEST.tsv row of a corpus file ("forms/x.pdf"), column by column;
// empty when there is none.
std::vector<std::string> manifestRow(const std::string& relativePath);

// A test name for a file: its stem with everything but letters and digits
// made an underscore.
std::string testNameFor(const std::filesystem::path& path);

// Why a corpus test was skipped, naming where the corpus was looked for.
std::string noCorpusReason();

} // namespace paginor::test_support

// In a test body: skips the test, with the reason, when the corpus is absent.
#define PAGINOR_SKIP_WITHOUT_CORPUS()                                                              \
    if (::paginor::test_support::corpusFolder()) {                                                 \
    } else                                                                                         \
        GTEST_SKIP() << ::paginor::test_support::noCorpusReason()
