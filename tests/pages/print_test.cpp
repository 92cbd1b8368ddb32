// QELT_PrintPDF: the short and long print requests with their arguments, a
// viewer window opened when needed, failures, and input hooks gone after.
#include "automation_contract/automation_values.h"
#include "page_test_support.h"

#include <functional>

namespace {

void OpenFirst(SessionFixture& session) {
    ASSERT_EQ(session.Open(), "0");
}

struct PrintRow {
    std::string name;
    std::optional<std::string> word; // no parameter at all when absent
    std::function<void(SessionFixture&)> arrange;
    std::string result;
    std::string error;
    std::string operation = {}; // the print request sent, if any
    std::vector<std::string> arguments = {};
};

const std::vector<std::string> kShort = {"0", "4", "2", "0", "0"};
const std::vector<std::string> kLong = {"0", "4", "2", "0", "0", "0", "0", "0", "-3"};

const std::vector<PrintRow>& Rows() {
    static const std::vector<PrintRow> rows = {
        {"NoParameter", std::nullopt, OpenFirst, "0", "0 Success", "Viewer.PrintPages", kShort},
        {"True", "true", OpenFirst, "0", "0 Success", "Viewer.PrintPagesEx", kLong},
        {"OnMixedCase", "oN", OpenFirst, "0", "0 Success", "Viewer.PrintPagesEx", kLong},
        {"False", "FALSE", OpenFirst, "0", "0 Success", "Viewer.PrintPages", kShort},
        {"Zero", "0", OpenFirst, "0", "0 Success", "Viewer.PrintPages", kShort},
        {"Empty", "", OpenFirst, "0", "0 Success", "Viewer.PrintPages", kShort},
        {"InvalidWord", "maybe", OpenFirst, "!!ERROR!!", "-4 Invalid Parameter value(s)"},
        {"NoDocument", std::nullopt, [](SessionFixture&) {}, "!!ERROR!!",
         "-2000 No PDF Document opened"},
        {"EmptyDocument",
         std::nullopt,
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("PDDoc.GetNumPages").answer(0);
         },
         "0",
         "0 Success",
         "Viewer.PrintPages",
         {"0", "-1", "2", "0", "0"}},
        {"ShortRefused", std::nullopt,
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("Viewer.PrintPages").answerFalse();
         },
         "!!ERROR!!", "-2014 Unable to print", "Viewer.PrintPages", kShort},
        {"LongRefused", "yes",
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("Viewer.PrintPagesEx").answerFalse();
         },
         "!!ERROR!!", "-2014 Unable to print", "Viewer.PrintPagesEx", kLong},
        {"RefusedWithTheQueuesReason", "yes",
         [](SessionFixture& session) {
             OpenFirst(session);
             Script()
                 .on("Viewer.PrintPagesEx")
                 .failWithInfo(kStatusOperationNotDone, u"Cannot print: lp: no such queue");
         },
         "!!ERROR!!", "-2014 Unable to printCannot print: lp: no such queue", "Viewer.PrintPagesEx",
         kLong},
        {"PrintFails", std::nullopt,
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("Viewer.PrintPages").failWithInfo(E_FAIL, u"no printer");
         },
         "!!ERROR!!", "-999 COM ExceptionError:80004005 Description: no printer",
         "Viewer.PrintPages", kShort},
        {"CountFails", std::nullopt,
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("PDDoc.GetNumPages").fail(E_FAIL);
         },
         "!!ERROR!!", "-999 COM ExceptionError:80004005 Description: "},
        {"ViewerWindowFails", std::nullopt,
         [](SessionFixture& session) {
             Script().on("PDDoc.OpenInViewer").noObject();
             OpenFirst(session);
             Script().on("PDDoc.OpenInViewer").fail(E_FAIL);
         },
         "!!ERROR!!", "-999 COM ExceptionError:80004005 Description: "},
    };
    return rows;
}

void PrintTo(const PrintRow& row, std::ostream* out) {
    *out << row.name;
}

class PrintPDF : public ::testing::TestWithParam<PrintRow> {};

TEST_P(PrintPDF, SendsTheRequest) {
    const PrintRow& row = GetParam();
    SessionFixture session;
    ASSERT_TRUE(session.Start());
    row.arrange(session);
    ASSERT_FALSE(HasFatalFailure());
    // The fixture's call checks that no input hook is left, whatever the result.
    EXPECT_EQ(session.Call("QELT_PrintPDF", row.word), row.result);
    EXPECT_EQ(LastError(session), row.error);
    const std::size_t requests =
        Script().CallCount("Viewer.PrintPages") + Script().CallCount("Viewer.PrintPagesEx");
    if (row.operation.empty()) {
        EXPECT_EQ(requests, 0u);
    } else {
        EXPECT_EQ(requests, 1u);
        EXPECT_EQ(ArgumentsOf(row.operation), std::vector<std::vector<std::string>>{row.arguments});
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, PrintPDF, ::testing::ValuesIn(Rows()),
                         [](const auto& info) { return info.param.name; });

TEST(PrintPDFViewer, OpensAWindowWithEmptyTitleAndKeepsIt) {
    SessionFixture session;
    ASSERT_TRUE(session.Start());
    Script().on("PDDoc.OpenInViewer").noObject();
    OpenFirst(session);
    Script().Reset();
    EXPECT_EQ(session.Call("QELT_PrintPDF"), "0");
    ASSERT_EQ(Script().CallsTo("PDDoc.OpenInViewer").size(), 1u);
    EXPECT_EQ(Script().CallsTo("PDDoc.OpenInViewer")[0].arguments.at(0).text, u"");
    // The window stays with the session: page text now finds it.
    EXPECT_EQ(session.Call("QELT_GetTextFromPage", "1"), "Hello world");
    EXPECT_EQ(Script().CallCount("PDDoc.OpenInViewer"), 1u);
}

} // namespace
