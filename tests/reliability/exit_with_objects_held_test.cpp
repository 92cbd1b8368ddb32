// A host that ends while the session still holds the document, its fields
// and its page text ends cleanly, with the engine in the host and in a
// process of its own. The page-text cache is kept alive through exit for
// this: closing poppler's documents after its globals were gone crashed.
#include "support/fmcalc_runner.h"
#include "support/repository_paths.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using paginor::test_support::binaryFolder;
using paginor::test_support::calcText;
using paginor::test_support::examplePath;
using paginor::test_support::FmcalcRun;
using paginor::test_support::runFmcalcWithRegistry;

struct HeldAtExit {
    const char* name;
    std::vector<std::string> calculations; // after the open
};

void PrintTo(const HeldAtExit& c, std::ostream* out) {
    *out << c.name;
}

class ExitWithObjectsHeld : public ::testing::TestWithParam<std::tuple<std::string, HeldAtExit>> {};

TEST_P(ExitWithObjectsHeld, EndsTheHostCleanly) {
    const auto& [registry, c] = GetParam();
    std::vector<std::string> args{"--json", "-e",
                                  "QELT_OpenPDF ( " +
                                      calcText(examplePath("sample-form.pdf").string()) + " )"};
    for (const std::string& calculation : c.calculations) {
        args.push_back("-e");
        args.push_back(calculation);
    }
    const FmcalcRun run = runFmcalcWithRegistry((binaryFolder() / registry).string(), args);
    EXPECT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(run.value(0), "0");
    for (std::size_t i = 1; i <= c.calculations.size(); ++i) {
        EXPECT_NE(run.value(i), "!!ERROR!!") << c.calculations[i - 1];
    }
    EXPECT_EQ(run.stderrText.find("ERROR"), std::string::npos) << run.stderrText;
}

INSTANTIATE_TEST_SUITE_P(
    Held, ExitWithObjectsHeld,
    ::testing::Combine(
        ::testing::Values(std::string("com_registry_inproc.txt"), std::string("com_registry.txt")),
        ::testing::Values(
            HeldAtExit{"Document", {}},
            HeldAtExit{"Fields", {"QELT_GetPDFFieldValue ( \"name\" )"}},
            HeldAtExit{"PageText",
                       {"QELT_GetTextFromPage ( 1 )", "QELT_GetPDFFieldValue ( \"name\" )"}},
            HeldAtExit{"PageTextAfterClose", {"QELT_GetTextFromPage ( 1 )", "QELT_ClosePDF"}})),
    [](const auto& info) {
        const std::string registry = std::get<0>(info.param);
        return std::string(std::get<1>(info.param).name) +
               (registry.find("inproc") != std::string::npos ? "InTheHost" : "OutOfProcess");
    });

} // namespace
