// QELT_GetTextFromPage and QELT_GetTextLengthFromPage: page-number text, the
// highlight list covering the page, item joining, and every failure.
#include "page_test_support.h"

#include <functional>

namespace {

void Nothing(SessionFixture&) {}
void OpenFirst(SessionFixture& session) {
    ASSERT_EQ(session.Open(), "0");
}

// Page-number texts read like the C library's decimal conversion.
class PageNumberText : public ::testing::TestWithParam<std::pair<std::string, std::string>> {};

TEST_P(PageNumberText, ChoosesThePageIndex) {
    SessionFixture session;
    ASSERT_TRUE(session.Start());
    OpenFirst(session);
    EXPECT_EQ(session.Call("QELT_GetTextFromPage", GetParam().first), "Hello world");
    EXPECT_EQ(ArgumentsOf("PDDoc.AcquirePage"),
              (std::vector<std::vector<std::string>>{{GetParam().second}}));
}

INSTANTIATE_TEST_SUITE_P(Texts, PageNumberText,
                         ::testing::Values(std::pair{"1", "0"}, std::pair{"2.7", "1"},
                                           std::pair{" 4", "3"}, std::pair{"3abc", "2"},
                                           std::pair{"+5", "4"},
                                           std::pair{"99999999999", "2147483646"}));

// Refused page numbers reach no session call at all.
class RefusedPageNumber : public ::testing::TestWithParam<std::string> {};

TEST_P(RefusedPageNumber, IsInvalidParameter) {
    SessionFixture session;
    ASSERT_TRUE(session.Start());
    OpenFirst(session);
    const std::size_t callsBefore = Script().Calls().size();
    for (const char* function : {"QELT_GetTextFromPage", "QELT_GetTextLengthFromPage"}) {
        EXPECT_EQ(session.Call(function, GetParam()), "!!ERROR!!") << function;
        EXPECT_EQ(LastError(session), "-4 Invalid Parameter value(s)") << function;
    }
    EXPECT_EQ(Script().Calls().size(), callsBefore);
}

INSTANTIATE_TEST_SUITE_P(Texts, RefusedPageNumber,
                         ::testing::Values("0", "-3", "abc", "", " ", "-0"));

struct TextRow {
    std::string name;
    std::vector<std::u16string> items;
    std::string text;
    std::string length;
};

class PageTextItems : public ::testing::TestWithParam<TextRow> {};

TEST_P(PageTextItems, JoinedWithoutLineFeeds) {
    SessionFixture session;
    ASSERT_TRUE(session.Start());
    OpenFirst(session);
    Script().SetTextItems(GetParam().items);
    EXPECT_EQ(session.Call("QELT_GetTextFromPage", "1"), GetParam().text);
    EXPECT_EQ(session.Call("QELT_GetTextLengthFromPage", "1"), GetParam().length);
    EXPECT_EQ(LastError(session), "0 Success");
}

INSTANTIATE_TEST_SUITE_P(
    Items, PageTextItems,
    ::testing::Values(
        TextRow{"SpaceThenCrLf", {u"Hello ", u"world\r\n"}, "Hello world\r", "12"},
        TextRow{"LineFeedsInside", {u"a\nb", u"\n\nc"}, "abc", "3"},
        TextRow{"OnlyLineFeeds", {u"\n"}, "", "0"},
        // Length counts UTF-16 code units: U+1D11E takes two.
        TextRow{"BeyondBasicPlane", {u"\U0001D11E", u"\u00E9"}, "\xF0\x9D\x84\x9E\xC3\xA9", "3"}),
    [](const auto& info) { return info.param.name; });

TEST(PageText, AsksForTheWholePageAndReleasesInOrder) {
    SessionFixture session;
    ASSERT_TRUE(session.Start());
    OpenFirst(session);
    ASSERT_EQ(session.Call("QELT_GetTextFromPage", "2"), "Hello world");
    EXPECT_EQ(ArgumentsOf("HiliteList.Add"), (std::vector<std::vector<std::string>>{{"0", "-1"}}));
    EXPECT_EQ(Script().CallCount("Viewer.SetTextSelection"), 1u);
    std::vector<std::string> releases;
    for (const std::string& operation : Script().Operations()) {
        if (operation == "TextSelection.Release" || operation == "Page.Release" ||
            operation == "HiliteList.Release") {
            releases.push_back(operation);
        }
    }
    EXPECT_EQ(releases, (std::vector<std::string>{"TextSelection.Release", "Page.Release",
                                                  "HiliteList.Release"}));
}

struct FailureRow {
    std::string name;
    std::function<void(SessionFixture&)> arrange;
    std::string error;
    std::vector<std::u16string> omittedProgIds = {};
};

const std::vector<FailureRow>& FailureRows() {
    static const std::vector<FailureRow> rows = {
        {"NoDocument", Nothing, "-2000 No PDF Document opened"},
        {"NoViewerWindow",
         [](SessionFixture& session) {
             Script().on("PDDoc.OpenInViewer").noObject();
             OpenFirst(session);
         },
         "-2007 No AV File opened"},
        {"ShowRefused",
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("App.Show").answerFalse();
         },
         "-2021 Unable to show acrobat"},
        {"ShowFails",
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("App.Show").fail(E_FAIL);
         },
         "-999 COM ExceptionError:80004005 Description: "},
        {"HighlightListClassUnknown",
         OpenFirst,
         "-200 Library failed to loadOLE ERROR: Cannot find class id for "
         "AcroExch.HiLiteList.\n CODE:800401f3",
         {u"AcroExch.HiliteList"}},
        {"HighlightListNotCreated",
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("HiliteList.Create").fail(E_OUTOFMEMORY);
         },
         "-200 Library failed to loadOLE ERROR: Cannot create instantiate "
         "AcroExch.HiLiteList.\n CODE:8007000e"},
        {"PageBeyondDocument",
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("PDDoc.AcquirePage").noObject();
         },
         "-999 COM ExceptionError:80004003 Description: "},
        {"PageRequestFails",
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("PDDoc.AcquirePage").failWithInfo(E_INVALIDARG, u"no such page");
         },
         "-999 COM ExceptionError:80070057 Description: no such page"},
        {"NoTextSelection",
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("Page.CreateTextSelection").noObject();
         },
         "-2023 Unable to get text from the pageFailed to create text selection."},
        {"SelectionWithoutItems",
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().SetTextItems({});
         },
         "-2023 Unable to get text from the pageFailed to create text selection."},
        {"ItemTextFails",
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().onCall("TextSelection.GetText", 2).fail(E_FAIL);
         },
         "-999 COM ExceptionError:80004005 Description: "},
    };
    return rows;
}

void PrintTo(const FailureRow& row, std::ostream* out) {
    *out << row.name;
}

class PageTextFailure : public ::testing::TestWithParam<FailureRow> {};

TEST_P(PageTextFailure, IsRecordedForTextAndLength) {
    const FailureRow& row = GetParam();
    for (const char* function : {"QELT_GetTextFromPage", "QELT_GetTextLengthFromPage"}) {
        SessionFixture session(row.omittedProgIds);
        ASSERT_TRUE(session.Start());
        row.arrange(session);
        ASSERT_FALSE(HasFatalFailure());
        EXPECT_EQ(session.Call(function, "1"), "!!ERROR!!") << function;
        EXPECT_EQ(LastError(session), row.error) << function;
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, PageTextFailure, ::testing::ValuesIn(FailureRows()),
                         [](const auto& info) { return info.param.name; });

} // namespace
