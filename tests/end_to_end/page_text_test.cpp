// Page text through fmcalc agrees with poppler's pdftotext word for word;
// its length is the length of that text; pages past the end are refused.
#include "e2e_support.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

namespace paginor::e2e {
namespace {

namespace fs = std::filesystem;

std::vector<std::string> words(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string word; in >> word;) {
        result.push_back(word);
    }
    return result;
}

// pdftotext joins a word hyphenated at a line end ("fer-" "mentum"); the
// page itself holds both pieces, which is what we give. Join them the same way.
std::vector<std::string> joinLineEndHyphens(const std::vector<std::string>& pieces) {
    std::vector<std::string> joined;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        std::string word = pieces[i];
        while (word.size() > 1 && word.back() == '-' && i + 1 < pieces.size()) {
            word.pop_back();
            word += pieces[++i];
        }
        joined.push_back(word);
    }
    return joined;
}

std::size_t utf16Length(const std::string& utf8) {
    std::size_t units = 0;
    for (unsigned char c : utf8) {
        if ((c & 0xC0) != 0x80) {
            units += c >= 0xF0 ? 2 : 1;
        }
    }
    return units;
}

struct TextFile {
    const char* label;
    bool fromCorpus;
    const char* file;
    int pages;
};

const TextFile textFiles[] = {
    {"BundledSample", false, "text.pdf", 3},
    {"CorpusCyrillic", true, "text/russian-cyrillic-2p.pdf", 2},
    {"CorpusOutline", true, "text/latex-outline.pdf", 4},
    {"CorpusMultiColumn", true, "text/latex-multicolumn.pdf", 3},
};

void PrintTo(const TextFile& textFile, std::ostream* out) {
    *out << textFile.file;
}

class PageText : public ::testing::TestWithParam<TextFile> {};

TEST_P(PageText, EveryPageMatchesPdftotext) {
    const TextFile& textFile = GetParam();
    fs::path file = examplesFolder() / textFile.file;
    if (textFile.fromCorpus) {
        auto corpus = corpusFolder();
        if (!corpus) {
            GTEST_SKIP() << "no corpus";
        }
        file = *corpus / textFile.file;
    }
    std::vector<std::string> calcs = {
        withError("QELT_OpenPDF ( " + calcText(file.string()) + " )")};
    for (int page = 1; page <= textFile.pages; ++page) {
        calcs.push_back(withError("QELT_GetTextFromPage ( " + std::to_string(page) + " )"));
        calcs.push_back(withError("QELT_GetTextLengthFromPage ( " + std::to_string(page) + " )"));
    }
    const int beyond = textFile.pages + 1;
    calcs.push_back(withError("QELT_GetTextFromPage ( " + std::to_string(beyond) + " )"));
    calcs.push_back(withError("QELT_GetTextLengthFromPage ( " + std::to_string(beyond) + " )"));
    calcs.push_back("QELT_ClosePDF");

    const FmcalcRun run = runCalculations(calcs);
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    ASSERT_EQ(run.results.size(), calcs.size()) << run.stderrText;
    ASSERT_EQ(run.value(0), "0");
    std::size_t next = 1;
    int agreeing = 0;
    for (int page = 1; page <= textFile.pages; ++page) {
        const std::string text = run.value(next++);
        const std::string length = run.value(next++);
        const ProcessResult reference =
            runProcess("pdftotext", {"-enc", "UTF-8", "-f", std::to_string(page), "-l",
                                     std::to_string(page), file.string(), "-"});
        ASSERT_EQ(reference.exitCode, 0) << reference.err;
        const bool agrees = words(text) == words(reference.out) ||
                            joinLineEndHyphens(words(text)) == words(reference.out);
        EXPECT_TRUE(agrees) << "page " << page << "\nours:\n"
                            << text << "\npdftotext:\n"
                            << reference.out;
        agreeing += agrees ? 1 : 0;
        EXPECT_EQ(length, std::to_string(utf16Length(text))) << "page " << page;
    }
    for (int i = 0; i < 2; ++i) {
        const std::string refused = run.value(next++);
        EXPECT_EQ(refused.rfind("!!ERROR!! -999 COM Exception", 0), 0u) << refused;
        const std::string expected = "Page " + std::to_string(beyond) +
                                     " is past the end of the document (" +
                                     std::to_string(textFile.pages) + " pages)";
        EXPECT_NE(refused.find(expected), std::string::npos) << refused;
    }
    std::cout << "[text] " << textFile.file << ": " << agreeing << "/" << textFile.pages
              << " pages agree with pdftotext" << std::endl;
}

INSTANTIATE_TEST_SUITE_P(Files, PageText, ::testing::ValuesIn(textFiles),
                         [](const ::testing::TestParamInfo<TextFile>& info) {
                             return std::string(info.param.label);
                         });

} // namespace
} // namespace paginor::e2e
