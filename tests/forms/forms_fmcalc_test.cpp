// The field, information and picker functions as a user meets them:
// calculations run by fmcalc against the plug-in, with the scriptable server
// behind the ProgIDs and the pickers answered through --dialog-answer.
#include "scriptable_server.h"
#include "support/fmcalc_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

TEST(FormsThroughFmcalc, FieldsInformationAndPickers) {
    const std::filesystem::path folder =
        std::filesystem::path(::testing::TempDir()) / ("forms_fmcalc_" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string file = (folder / "form.pdf").string();
    std::ofstream(file) << "%PDF-1.4\n";

    std::vector<std::string> args = {"--dialog-answer", file, "--dialog-answer", "/srv/out"};
    for (const std::string& calculation : std::vector<std::string>{
             "QELT_OpenPDF(QELT_FileBrowse)",
             "QELT_SetPDFFieldValue(\"Name\"; \"Bob\")",
             "QELT_GetPDFFieldValue(\"Name\")",
             "QELT_GetPDFFieldValue(\"name\")",
             "QELT_SetPDFInfo(\"Title\"; \"Report\")",
             "QELT_GetPDFInfo(\"Title\")",
             "QELT_SetPDFInfo(\"CreationDate\"; \"D:2020\")",
             "QELT_GetLastError",
             "QELT_FolderBrowse(\"/srv\")",
             "QELT_GetFieldNames(1)",
         }) {
        args.push_back("-e");
        args.push_back(calculation);
    }
    const paginor::test_support::FmcalcRun run = paginor::test_support::runFmcalcWithRegistry(
        paginor::scripted::GeneratedRegistryPath(), args);
    EXPECT_EQ(run.exitCode, 0);
    const std::string fixed = "0\n"
                              "0\n"
                              "Bob\n"
                              "0\n"
                              "0\n"
                              "Report\n"
                              "!!ERROR!!\n"
                              "Invalid Info Item name\n"
                              "/srv/out\n";
    ASSERT_EQ(run.stdoutText.substr(0, fixed.size()), fixed) << run.stdoutText;
    // The listing's order is the cache's; each name ends with a bar and a
    // carriage return, which fmcalc prints as a line break.
    const std::string listing = run.stdoutText.substr(fixed.size());
    EXPECT_TRUE(listing == "Name|\nCity|\n\n" || listing == "City|\nName|\n\n") << listing;
    std::filesystem::remove_all(folder);
}

} // namespace
