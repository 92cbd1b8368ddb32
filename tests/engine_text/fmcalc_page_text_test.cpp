// Page text the way a database user reads it: fmcalc, the plug-in and the
// engine built beside them.
#include "support/fmcalc_runner.h"
#include "support/repository_paths.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using paginor::test_support::repositoryRoot;

// Runs fmcalc in the repository with one -e per calculation and returns what
// it prints.
std::string runFmcalc(const std::vector<std::string>& calculations) {
    std::vector<std::string> args;
    for (const auto& calculation : calculations) {
        args.push_back("-e");
        args.push_back(calculation);
    }
    return paginor::test_support::runFmcalc(args, repositoryRoot()).stdoutText;
}

TEST(FmcalcPageText, ReadsAPageAndNamesThePageCountBeyondTheEnd) {
    if (!std::filesystem::exists(paginor::test_support::examplePath("text.pdf")))
        GTEST_SKIP() << "no bundled text sample";
    const std::string output = runFmcalc({
        R"(QELT_OpenPDF ( "examples/text.pdf" ))",
        R"(QELT_GetTextFromPage ( 3 ))",
        R"(QELT_GetTextFromPage ( 4 ))",
        R"(QELT_GetLastError ( "Number" ))",
        R"(QELT_GetLastError)",
    });
    EXPECT_EQ(output, "0\n"
                      "Text sample, page 3\nThird page, first line.\nThird page, last line.\n\n"
                      "!!ERROR!!\n"
                      "-999\n"
                      "COM ExceptionError:8002000B Description: Page 4 is past the end of the "
                      "document (3 pages)\n");
}

} // namespace
