// Inserting, appending and deleting pages through fmcalc, checked on the
// saved file with qpdf; saving in place and where saving cannot work.
#include "e2e_support.h"
#include "qpdf_report.h"

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>

namespace paginor::e2e {
namespace {

namespace fs = std::filesystem;

std::string sample(const char* name) {
    return calcText((examplesFolder() / name).string());
}

const std::vector<std::string> sampleFormFields = {"name", "address", "subscribe",
                                                   "plan", "country", "colours"};

struct Operation {
    std::string calculation;
    std::string expected; // "0", or the start of the failure ("!!ERROR!! -2012 ")
};

struct PageCase {
    std::string label;
    const char* base;
    std::vector<Operation> operations;
    int pages;
    int outlinesWithPage; // outline items whose destination is a page of the result
    std::vector<std::string> fieldsPresent;
    std::vector<std::string> fieldsAbsent;
    int fieldCount = -1; // -1: not checked
};

// text.pdf has 3 pages, bookmarks.pdf 6 pages with 7 outline items (pages
// 1, 1, 2, 3, 4, 5, 6), sample-form.pdf 2 pages (country and colours on page 2).
std::vector<PageCase> pageCases() {
    return {
        {"InsertWithBookmarks",
         "text.pdf",
         {{"QELT_InsertPages ( 1 ; " + sample("bookmarks.pdf") + " ; 0 ; 2 ; \"yes\" )", "0"}},
         5,
         3,
         {},
         {},
         0},
        {"InsertWithoutBookmarks",
         "text.pdf",
         {{"QELT_InsertPages ( 1 ; " + sample("bookmarks.pdf") + " ; 0 ; 2 ; \"no\" )", "0"}},
         5,
         0,
         {},
         {},
         0},
        {"InsertMiddleRunWithBookmarks",
         "text.pdf",
         {{"QELT_InsertPages ( 2 ; " + sample("bookmarks.pdf") + " ; 2 ; 3 ; \"Y\" )", "0"}},
         6,
         3,
         {},
         {},
         0},
        {"InsertFormBringsFields",
         "text.pdf",
         {{"QELT_InsertPages ( 0 ; " + sample("sample-form.pdf") + " ; 0 ; 2 ; \"\" )", "0"}},
         5,
         0,
         sampleFormFields,
         {},
         6},
        {"InsertFormIntoItselfKeepsFieldsApart",
         "sample-form.pdf",
         {{"QELT_InsertPages ( 1 ; " + sample("sample-form.pdf") + " ; 0 ; 2 ; \"no\" )", "0"}},
         4,
         0,
         sampleFormFields,
         {},
         12},
        {"AppendWithBookmarks",
         "text.pdf",
         {{"QELT_AppendPDF ( " + sample("bookmarks.pdf") + " )", "0"}},
         9,
         7,
         {},
         {},
         0},
        {"AppendTwoFiles",
         "text.pdf",
         {{"QELT_AppendPDF ( " + sample("bookmarks.pdf") + " & \xC2\xB6 & " +
               sample("sample-form.pdf") + " )",
           "0"}},
         11,
         7,
         sampleFormFields,
         {},
         6},
        {"AppendThenDelete",
         "text.pdf",
         {{"QELT_AppendPDF ( " + sample("sample-form.pdf") + " )", "0"},
          {"QELT_DeletePages ( 1 ; 3 )", "0"}},
         2,
         0,
         sampleFormFields,
         {},
         6},
        {"DeletePagesDropsTheirBookmarks",
         "bookmarks.pdf",
         {{"QELT_DeletePages ( 3 ; 4 )", "0"}},
         4,
         5,
         {},
         {},
         0},
        {"DeletePageDropsItsFields",
         "sample-form.pdf",
         {{"QELT_DeletePages ( 2 ; 2 )", "0"}},
         1,
         0,
         {"name", "address", "subscribe", "plan"},
         {"country", "colours"},
         4},
        {"InsertAfterTheEndIsRefused",
         "text.pdf",
         {{"QELT_InsertPages ( 9 ; " + sample("bookmarks.pdf") + " ; 0 ; 1 ; \"no\" )",
           "!!ERROR!! -2012 "}},
         3,
         0,
         {},
         {},
         0},
        // After-page indexes are 0-based and handed over unshifted; the page
        // count passes the inclusive check and means after the last page.
        {"InsertAfterThePageCount",
         "text.pdf",
         {{"QELT_InsertPages ( 3 ; " + sample("bookmarks.pdf") + " ; 0 ; 1 ; \"no\" )", "0"}},
         4,
         0,
         {},
         {},
         0},
        {"InsertBeforeTheFirstPage",
         "text.pdf",
         {{"QELT_InsertPages ( -1 ; " + sample("bookmarks.pdf") + " ; 0 ; 1 ; \"no\" )", "0"}},
         4,
         0,
         {},
         {},
         0},
        {"InsertBelowBeforeTheFirstIsRefused",
         "text.pdf",
         {{"QELT_InsertPages ( -2 ; " + sample("bookmarks.pdf") + " ; 0 ; 1 ; \"no\" )",
           "!!ERROR!! -2012 "}},
         3,
         0,
         {},
         {},
         0},
        {"InsertRunBeyondTheSourceIsRefused",
         "text.pdf",
         {{"QELT_InsertPages ( 1 ; " + sample("bookmarks.pdf") + " ; 4 ; 3 ; \"no\" )",
           "!!ERROR!! -2012 "}},
         3,
         0,
         {},
         {},
         0},
        {"DeletingEveryPageIsRefused",
         "text.pdf",
         {{"QELT_DeletePages ( 1 ; 3 )", "!!ERROR!! -2002 "}},
         3,
         0,
         {},
         {},
         0},
    };
}

void PrintTo(const PageCase& pageCase, std::ostream* out) {
    *out << pageCase.label;
}

class PageOperation : public ::testing::TestWithParam<PageCase> {};

TEST_P(PageOperation, SavedFileShowsTheChange) {
    const PageCase& pageCase = GetParam();
    ScratchFolder scratch;
    const fs::path saved = scratch.path() / "result.pdf";
    std::vector<std::string> calcs = {withError("QELT_OpenPDF ( " + sample(pageCase.base) + " )")};
    for (const Operation& operation : pageCase.operations) {
        calcs.push_back(withError(operation.calculation));
    }
    calcs.push_back(withError("QELT_GetNumPages"));
    calcs.push_back(withError("QELT_SaveAsPDF ( " + calcText(saved.string()) + " )"));
    calcs.push_back("QELT_ClosePDF");
    const FmcalcRun run = runCalculations(calcs);
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    ASSERT_EQ(run.value(0), "0");
    std::size_t next = 1;
    for (const Operation& operation : pageCase.operations) {
        const std::string result = run.value(next++);
        EXPECT_EQ(result.rfind(operation.expected, 0), 0u)
            << operation.calculation << " -> " << result;
    }
    EXPECT_EQ(run.value(next++), std::to_string(pageCase.pages));
    ASSERT_EQ(run.value(next++), "0") << "save as";

    const ProcessResult check = runProcess("qpdf", {"--check", saved.string()});
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
    std::string error;
    auto report = QpdfReport::load(saved, &error);
    ASSERT_TRUE(report) << error;
    EXPECT_EQ(report->pageCount(), pageCase.pages);
    const std::vector<int> outlinePages = report->outlinePages();
    EXPECT_EQ(
        std::count_if(outlinePages.begin(), outlinePages.end(), [](int page) { return page > 0; }),
        pageCase.outlinesWithPage);
    for (int page : outlinePages) {
        EXPECT_LE(page, pageCase.pages) << "an outline item points past the last page";
    }
    for (const std::string& name : pageCase.fieldsPresent) {
        EXPECT_NE(report->field(name), nullptr) << name;
    }
    for (const std::string& name : pageCase.fieldsAbsent) {
        EXPECT_EQ(report->field(name), nullptr) << name;
    }
    if (pageCase.fieldCount >= 0) {
        EXPECT_EQ(static_cast<int>(report->fields().size()), pageCase.fieldCount);
    }
}

INSTANTIATE_TEST_SUITE_P(Pages, PageOperation, ::testing::ValuesIn(pageCases()),
                         [](const ::testing::TestParamInfo<PageCase>& info) {
                             return info.param.label;
                         });

// Where the inserted pages land, told by the page the sample form's first
// field ends up on (text.pdf has 3 pages, the form's "name" is on its page 1).
TEST(PageInsertion, LandsAtEitherEndOrAfterTheNamedPage) {
    const struct {
        int afterPage;
        int namePage; // 1-based page of "name" in the result
    } cases[] = {{-1, 1}, {0, 2}, {2, 4}, {3, 4}};
    for (const auto& insertion : cases) {
        ScratchFolder scratch;
        const fs::path saved = scratch.path() / "result.pdf";
        const FmcalcRun run = runCalculations({
            withError("QELT_OpenPDF ( " + sample("text.pdf") + " )"),
            withError("QELT_InsertPages ( " + std::to_string(insertion.afterPage) + " ; " +
                      sample("sample-form.pdf") + " ; 0 ; 2 ; \"no\" )"),
            withError("QELT_SaveAsPDF ( " + calcText(saved.string()) + " )"),
            "QELT_ClosePDF",
        });
        ASSERT_EQ(run.exitCode, 0) << run.stderrText;
        ASSERT_EQ(run.value(1), "0") << "after page " << insertion.afterPage;
        std::string error;
        auto report = QpdfReport::load(saved, &error);
        ASSERT_TRUE(report) << error;
        EXPECT_EQ(report->pageCount(), 5);
        const QpdfField* name = report->field("name");
        ASSERT_NE(name, nullptr);
        ASSERT_FALSE(name->widgets.empty());
        EXPECT_EQ(name->widgets.front().page, insertion.namePage)
            << "after page " << insertion.afterPage;
    }
}

TEST(Saving, OverTheOpenFileThreeTimesInARow) {
    ScratchFolder scratch;
    const fs::path file = scratch.path() / "form.pdf";
    fs::copy_file(examplesFolder() / "sample-form.pdf", file);
    const std::string path = calcText(file.string());
    const std::vector<std::string> calcs = {
        withError("QELT_OpenPDF ( " + path + " )"),
        withError("QELT_SetPDFFieldValue ( \"name\" ; \"first\" )"),
        withError("QELT_SavePDF"),
        withError("QELT_SetPDFFieldValue ( \"name\" ; \"second\" )"),
        withError("QELT_SavePDF"),
        withError("QELT_DeletePages ( 2 ; 2 )"),
        withError("QELT_SetPDFFieldValue ( \"name\" ; \"\xE7\xAC\xAC\xE4\xB8\x89\" )"),
        withError("QELT_SavePDF"),
        "QELT_ClosePDF",
        withError("QELT_OpenPDF ( " + path + " )"),
        withError("QELT_GetPDFFieldValue ( \"name\" )"),
        withError("QELT_GetNumPages"),
        "QELT_ClosePDF",
    };
    const FmcalcRun run = runCalculations(calcs);
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    for (std::size_t i : {0u, 1u, 2u, 3u, 4u, 5u, 6u, 7u, 9u}) {
        EXPECT_EQ(run.value(i), "0") << calcs[i];
    }
    EXPECT_EQ(run.value(10), "\xE7\xAC\xAC\xE4\xB8\x89");
    EXPECT_EQ(run.value(11), "1");
    const ProcessResult check = runProcess("qpdf", {"--check", file.string()});
    EXPECT_EQ(check.exitCode, 0) << check.out << check.err;
    // The atomic save leaves no temporary file beside the target.
    EXPECT_EQ(std::distance(fs::directory_iterator(scratch.path()), fs::directory_iterator()), 1);
}

TEST(Saving, IntoAMissingFolderFailsWithTheReasonAndLeavesNothing) {
    ScratchFolder scratch;
    const fs::path target = scratch.path() / "missing" / "out.pdf";
    const FmcalcRun run = runCalculations({
        withError("QELT_OpenPDF ( " + sample("text.pdf") + " )"),
        withError("QELT_SaveAsPDF ( " + calcText(target.string()) + " )"),
        withError("QELT_GetNumPages"),
        "QELT_ClosePDF",
    });
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    ASSERT_EQ(run.value(0), "0");
    const std::string failure = run.value(1);
    EXPECT_EQ(failure.rfind("!!ERROR!! -999 COM Exception", 0), 0u) << failure;
    EXPECT_NE(failure.find("Description: "), std::string::npos) << failure;
    EXPECT_NE(failure.find("missing"), std::string::npos) << "names the place: " << failure;
    EXPECT_EQ(run.value(2), "3") << "the document stays open and whole";
    EXPECT_TRUE(fs::is_empty(scratch.path())) << "nothing is left behind";
}

// Root ignores folder permissions: as root, the host runs as an ordinary
// user, so the refusal is checked in CI too.
TEST(Saving, IntoAReadOnlyFolderKeepsTheOldFile) {
    ScratchFolder scratch;
    const fs::path folder = scratch.path() / "locked";
    fs::create_directory(folder);
    const fs::path target = folder / "kept.pdf";
    fs::copy_file(examplesFolder() / "bookmarks.pdf", target);
    const std::string before = readFile(target);
    ASSERT_EQ(handOverToUnprivileged(scratch.path()), "");
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    const auto outcome = runUnprivileged([&](std::string& report) {
        const FmcalcRun run = runCalculations({
            withError("QELT_OpenPDF ( " + sample("text.pdf") + " )"),
            withError("QELT_SaveAsPDF ( " + calcText(target.string()) + " )"),
            "QELT_ClosePDF",
        });
        report = run.exitCode == 0 ? run.value(1) : "fmcalc failed: " + run.stderrText;
        return run.exitCode;
    });
    fs::permissions(folder, fs::perms::owner_all);
    if (outcome.failure.starts_with("cannot give up root"))
        GTEST_SKIP() << outcome.failure;
    ASSERT_EQ(outcome.failure, "");
    ASSERT_EQ(outcome.exitCode, 0) << outcome.report;
    const std::string& failure = outcome.report;
    EXPECT_EQ(failure.rfind("!!ERROR!! -999 COM Exception", 0), 0u) << failure;
    EXPECT_NE(failure.find("locked"), std::string::npos) << "names the place: " << failure;
    EXPECT_NE(failure.find("Permission denied"), std::string::npos) << failure;
    EXPECT_EQ(readFile(target), before) << "the old file is untouched";
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 1);
}

} // namespace
} // namespace paginor::e2e
