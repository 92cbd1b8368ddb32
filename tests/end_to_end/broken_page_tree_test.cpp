// A document whose page tree yields no usable page is refused wherever it
// arrives: opened (-2017), or as the source of an insertion or an append
// (-2017, the open document unchanged and still savable).
#include "e2e_support.h"
#include "qpdf_report.h"
#include "support/broken_page_trees.h"

#include <gtest/gtest.h>

namespace paginor::e2e {
namespace {

namespace fs = std::filesystem;

class RefusedPageTree : public ::testing::TestWithParam<BrokenPageTree> {};

TEST_P(RefusedPageTree, IsRefusedAtOpenAndAsASource) {
    const auto& broken = GetParam();
    ScratchFolder scratch;
    const fs::path file = scratch.path() / (broken.name + ".pdf");
    writeFile(file, broken.bytes);
    const fs::path saved = scratch.path() / "saved.pdf";
    const std::string source = calcText(file.string());
    const FmcalcRun run = runCalculations({
        withError("QELT_OpenPDF ( " + source + " )"),
        withError("QELT_OpenPDF ( " + calcText((examplesFolder() / "text.pdf").string()) + " )"),
        withError("QELT_InsertPages ( 0 ; " + source + " ; 0 ; 0 ; \"no\" )"),
        withError("QELT_AppendPDF ( " + source + " )"),
        withError("QELT_GetNumPages"),
        withError("QELT_SaveAsPDF ( " + calcText(saved.string()) + " )"),
        "QELT_ClosePDF",
    });
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    EXPECT_EQ(run.value(0).rfind("!!ERROR!! -2017 ", 0), 0u) << run.value(0);
    ASSERT_EQ(run.value(1), "0");
    const std::string refused = "!!ERROR!! -2017 Unable to open the PDF fileCannot open " +
                                file.string() + ": the document has no usable page tree";
    EXPECT_EQ(run.value(2), refused);
    EXPECT_EQ(run.value(3), refused);
    EXPECT_EQ(run.value(4), "3") << "nothing was added";
    ASSERT_EQ(run.value(5), "0");
    const ProcessResult check = runProcess("qpdf", {"--check", saved.string()});
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
}

INSTANTIATE_TEST_SUITE_P(Trees, RefusedPageTree, ::testing::ValuesIn(brokenPageTrees()),
                         [](const auto& info) { return info.param.name; });

} // namespace
} // namespace paginor::e2e
