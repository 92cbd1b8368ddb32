// Page text the way a database user reads it: fmcalc, the plug-in and the
// engine built beside them.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace {

// Runs fmcalc with one -e per calculation and returns what it prints.
std::string runFmcalc(const std::vector<std::string>& calculations) {
    std::string command = std::string("cd '") + PAGINOR_SOURCE_DIR + "' && '" + FMCALC_BINARY + "'";
    for (const auto& calculation : calculations)
        command += " -e '" + calculation + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string output;
    char buffer[4096];
    while (pipe && std::fgets(buffer, sizeof buffer, pipe.get()))
        output += buffer;
    return output;
}

TEST(FmcalcPageText, ReadsAPageAndNamesThePageCountBeyondTheEnd) {
    if (!std::filesystem::exists(std::filesystem::path(PAGINOR_SOURCE_DIR) / "examples/text.pdf"))
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
                      "COM ExceptionError:8002000B Description: Page index 3 is outside the "
                      "document, which has 3 pages (indexes 0 to 2)\n");
}

} // namespace
