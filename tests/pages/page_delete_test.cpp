// QELT_DeletePages: 1-based page numbers become 0-based indexes compared with
// the page count itself; the delete operation judges what passes.
#include "automation_contract/automation_values.h"
#include "page_test_support.h"

#include <functional>

namespace {

struct DeleteRow {
    std::string name;
    std::function<void(SessionFixture&)> arrange;
    int startPage;
    int endPage;
    std::string result;
    std::string error;
    std::vector<std::string> deleted = {}; // first, last; empty: no delete call
};

void OpenFirst(SessionFixture& session) {
    ASSERT_EQ(session.Open(), "0");
}

const std::vector<DeleteRow>& Rows() {
    // The scripted document has five pages.
    static const std::vector<DeleteRow> rows = {
        {"SecondAndThird", OpenFirst, 2, 3, "0", "0 Success", {"1", "2"}},
        {"Reversed", OpenFirst, 3, 2, "!!ERROR!!", "-2012 Invalid page range"},
        {"StartBeyondCount", OpenFirst, 7, 7, "!!ERROR!!", "-2010 Invalid start page number"},
        {"EndBeyondCount", OpenFirst, 1, 7, "!!ERROR!!", "-2011 Invalid end page number"},
        {"IndexEqualToCount", OpenFirst, 6, 6, "0", "0 Success", {"5", "5"}},
        {"PageZero", OpenFirst, 0, 1, "0", "0 Success", {"-1", "0"}},
        {"DeleteRefused",
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("PDDoc.DeletePages").answerFalse();
         },
         1,
         1,
         "!!ERROR!!",
         "-2002 Unable to delete pages",
         {"0", "0"}},
        {"DeleteRefusedWithReason",
         [](SessionFixture& session) {
             OpenFirst(session);
             Script()
                 .on("PDDoc.DeletePages")
                 .failWithInfo(kStatusOperationNotDone, u"that would leave no page");
         },
         1,
         5,
         "!!ERROR!!",
         "-2002 Unable to delete pagesthat would leave no page",
         {"0", "4"}},
        {"CountFails",
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("PDDoc.GetNumPages").fail(E_FAIL);
         },
         1, 1, "!!ERROR!!", "-999 COM ExceptionError:80004005 Description: "},
        {"NoDocument", [](SessionFixture&) {}, 1, 1, "!!ERROR!!", "-2007 No AV File opened"},
        {"NoViewerWindow",
         [](SessionFixture& session) {
             Script().on("PDDoc.OpenInViewer").noObject();
             OpenFirst(session);
         },
         1, 1, "!!ERROR!!", "-2007 No AV File opened"},
    };
    return rows;
}

void PrintTo(const DeleteRow& row, std::ostream* out) {
    *out << row.name;
}

class DeletePages : public ::testing::TestWithParam<DeleteRow> {};

TEST_P(DeletePages, ChecksAndSendsIndexes) {
    const DeleteRow& row = GetParam();
    SessionFixture session;
    ASSERT_TRUE(session.Start());
    row.arrange(session);
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(session.Call("QELT_DeletePages", {row.startPage, row.endPage}), row.result);
    EXPECT_EQ(LastError(session), row.error);
    const auto deleted = ArgumentsOf("PDDoc.DeletePages");
    if (row.deleted.empty()) {
        EXPECT_TRUE(deleted.empty());
    } else {
        EXPECT_EQ(deleted, std::vector<std::vector<std::string>>{row.deleted});
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, DeletePages, ::testing::ValuesIn(Rows()),
                         [](const auto& info) { return info.param.name; });

} // namespace
