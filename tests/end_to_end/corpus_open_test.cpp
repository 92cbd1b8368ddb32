// Every file of the corpus and every bundled sample opens through fmcalc or
// is refused with the "cannot open" code; fmcalc never dies on one.
#include "e2e_support.h"

#include <gtest/gtest.h>

#include <iostream>

namespace paginor::e2e {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> allFiles() {
    std::vector<fs::path> files;
    for (const char* sample : {"bookmarks.pdf", "sample-form.pdf", "text.pdf"}) {
        files.push_back(examplesFolder() / sample);
    }
    for (const char* folder : {"forms", "malformed", "text"}) {
        for (const fs::path& file : corpusFiles(folder)) {
            files.push_back(file);
        }
    }
    return files;
}

// qpdf's page count, or nullopt when qpdf cannot count.
std::optional<long long> qpdfPageCount(const fs::path& file) {
    const ProcessResult run = runProcess("qpdf", {"--show-npages", file.string()});
    if (run.exitCode != 0 && run.exitCode != 3) {
        return std::nullopt;
    }
    try {
        return std::stoll(run.out);
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

class OpenEveryFile : public ::testing::TestWithParam<fs::path> {};

TEST_P(OpenEveryFile, OpensOrIsRefusedAndCountsPagesLikeQpdf) {
    const fs::path file = GetParam();
    const FmcalcRun run = runCalculations({
        withError("QELT_OpenPDF ( " + calcText(file.string()) + " )"),
        withError("QELT_GetNumPages"),
        "QELT_ClosePDF",
    });
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    ASSERT_EQ(run.results.size(), 3u) << run.stderrText;
    const std::string opened = run.value(0);
    const auto qpdfPages = qpdfPageCount(file);
    const std::string folder = file.parent_path().filename().string();
    const std::vector<std::string> manifest = manifestRow(folder + "/" + file.filename().string());
    // A page tree that claims far more pages than it holds is not a count to copy.
    const bool absurdClaim = manifest.size() > 4 && manifest[4].find("claims") != std::string::npos;

    if (opened != "0") {
        EXPECT_EQ(opened.rfind("!!ERROR!! -2017 ", 0), 0u) << opened;
        // Refusing is fine where qpdf itself finds the structure broken.
        const bool qpdfFindsErrors = runProcess("qpdf", {"--check", file.string()}).exitCode == 2;
        EXPECT_TRUE(!qpdfPages || absurdClaim || qpdfFindsErrors)
            << "qpdf reads " << *qpdfPages
            << " pages without errors in a file we refused: " << opened;
        std::cout << "[open] " << folder << "/" << file.filename().string() << ": refused ("
                  << opened << ")" << std::endl;
        return;
    }
    const std::string pages = run.value(1);
    std::cout << "[open] " << folder << "/" << file.filename().string() << ": " << pages
              << " pages, qpdf " << (qpdfPages ? std::to_string(*qpdfPages) : "cannot count")
              << std::endl;
    if (absurdClaim) {
        EXPECT_NE(pages.rfind("!!ERROR!!", 0), 0u) << pages;
        return;
    }
    ASSERT_TRUE(qpdfPages) << "we opened a file qpdf cannot count";
    EXPECT_EQ(pages, std::to_string(*qpdfPages));
}

INSTANTIATE_TEST_SUITE_P(Corpus, OpenEveryFile, ::testing::ValuesIn(allFiles()),
                         [](const ::testing::TestParamInfo<fs::path>& info) {
                             return testNameFor(info.param.parent_path().filename()) + "_" +
                                    testNameFor(info.param);
                         });

} // namespace
} // namespace paginor::e2e
