// The page functions as a user meets them: calculations run by fmcalc
// against the plug-in, with the scriptable server behind the ProgIDs.
#include "scriptable_server.h"
#include "support/fmcalc_runner.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace {

TEST(PagesThroughFmcalc, EveryPageFunction) {
    const std::filesystem::path folder =
        std::filesystem::path(::testing::TempDir()) / ("pages_fmcalc_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string file = (folder / "form.pdf").string();
    std::ofstream(file) << "%PDF-1.4\n";

    std::vector<std::string> args;
    for (const std::string& calculation : std::vector<std::string>{
             "QELT_OpenPDF(\"" + file + "\")",
             "QELT_InsertPages(5; \"" + file + "\"; 0; 2; \"yes\")",
             "QELT_InsertPages(0; \"" + file + "\"; 4; 2; \"\")",
             "QELT_GetLastError",
             "QELT_DeletePages(2; 3)",
             "QELT_AppendPDF(\"" + file + "¶" + file + "\")",
             "QELT_GetTextFromPage(\"1\")",
             "QELT_GetTextLengthFromPage(\"1\")",
             "QELT_PrintPDF(\"long\")",
             "QELT_GetLastError(\"number\")",
             "QELT_PrintPDF(\"yes\")",
             "QELT_ClosePDF",
         }) {
        args.push_back("-e");
        args.push_back(calculation);
    }
    const paginor::test_support::FmcalcRun run = paginor::test_support::runFmcalcWithRegistry(
        paginor::scripted::GeneratedRegistryPath(), args);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.stdoutText, "0\n"
                              "0\n"
                              "!!ERROR!!\n"
                              "Invalid page rangenumPages is not valid\n"
                              "0\n"
                              "0\n"
                              "Hello world\n"
                              "11\n"
                              "!!ERROR!!\n"
                              "-4\n"
                              "0\n"
                              "0\n")
        << run.stdoutText;
    std::filesystem::remove_all(folder);
}

} // namespace
