// The document functions as a user meets them: calculations run by fmcalc
// against the plug-in built beside it.
#include "scriptable_server.h"
#include "support/fmcalc_runner.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

using paginor::test_support::FmcalcRun;

// Runs fmcalc with one -e per calculation (with the COM registry `registry`
// when given) and gives its output lines, then anything it wrote to stderr.
std::vector<std::string> RunFmcalc(const std::vector<std::string>& calculations,
                                   const std::string& registry = {}, bool json = false) {
    std::vector<std::string> args;
    if (json) {
        args.push_back("--json");
    }
    for (const std::string& calculation : calculations) {
        args.push_back("-e");
        args.push_back(calculation);
    }
    const FmcalcRun run = registry.empty()
                              ? paginor::test_support::runFmcalc(args)
                              : paginor::test_support::runFmcalcWithRegistry(registry, args);
    EXPECT_EQ(run.exitCode, 0) << run.stderrText;
    std::vector<std::string> lines;
    for (const std::string* text : {&run.stdoutText, &run.stderrText}) {
        std::istringstream stream(*text);
        for (std::string line; std::getline(stream, line);) {
            lines.push_back(line);
        }
    }
    return lines;
}

class SessionThroughFmcalc : public ::testing::Test {
protected:
    void SetUp() override { paginor::test_support::writeFile(File(), "%PDF-1.4\n"); }
    std::string File() const { return (m_folder / "form.pdf").string(); }
    std::string InFolder(const std::string& name) const { return (m_folder / name).string(); }

    paginor::test_support::ScratchFolder m_folder{"paginor-session-fmcalc"};
};

TEST_F(SessionThroughFmcalc, PageCountWithoutDocument) {
    const std::vector<std::string> calculations = {"QELT_GetNumPages", "QELT_GetLastError",
                                                   "QELT_GetLastError(\"number\")"};
    EXPECT_EQ(RunFmcalc(calculations),
              (std::vector<std::string>{"!!ERROR!!", "No PDF Document opened", "-2000"}));
    EXPECT_EQ(RunFmcalc(calculations, {}, true).at(2),
              R"({"type":"number","value":-2000,"source":{"e":3}})");
}

TEST_F(SessionThroughFmcalc, OpenCountSaveCloseAndCloseTheApplication) {
    const std::vector<std::string> calculations = {
        "QELT_OpenPDF(\"" + File() + "\")",
        "QELT_GetNumPages",
        "QELT_SaveAsPDF(\"" + InFolder("copy.pdf") + "\")",
        "QELT_SavePDF",
        "QELT_ClosePDF",
        "QELT_CloseAcrobat",
        "QELT_GetLastError",
    };
    EXPECT_EQ(RunFmcalc(calculations, paginor::scripted::GeneratedRegistryPath()),
              (std::vector<std::string>{"0", "5", "0", "0", "0", "0", "Success"}));
}

TEST_F(SessionThroughFmcalc, UnregisteredApplicationIsALoadFailure) {
    const std::string registry = InFolder("registry.txt");
    paginor::scripted::WriteRegistry(registry, {u"AcroExch.App"});
    EXPECT_EQ(RunFmcalc({"QELT_OpenPDF(\"" + File() + "\")", "QELT_GetLastError",
                         "QELT_GetLastError(\"number\")"},
                        registry),
              (std::vector<std::string>{"!!ERROR!!",
                                        "Library failed to loadClassid for AcroExch.App", "-200"}));
}

} // namespace
