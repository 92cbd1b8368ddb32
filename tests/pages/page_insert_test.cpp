// QELT_InsertPages: its checks in order, the arguments it sends, and the
// source document closed and released on every path.
#include "automation_contract/automation_values.h"
#include "page_test_support.h"

#include "com/com_registry.h"

#include <functional>

namespace {

struct InsertRow {
    std::string name;
    bool open; // a document is opened first
    int afterPage;
    std::string source; // "{file}" or "{missing}" are replaced
    int startPage;
    int numPages;
    std::string bookmarks;
    std::function<void()> arrange;
    std::string result;
    std::string error;                          // number, then message and detail
    std::vector<std::string> insertedWith = {}; // after, start, count, flag; empty: no insertion
};

void Nothing() {}

const std::vector<InsertRow>& Rows() {
    // The scripted documents have five pages each.
    static const std::vector<InsertRow> rows = {
        {"NoDocument", false, 0, "{file}", 0, 1, "", Nothing, "!!ERROR!!",
         "-2000 No PDF Document opened"},
        {"EmptySourceWithoutDocument", false, 0, "", 0, 1, "", Nothing, "!!ERROR!!",
         "-2000 No PDF Document opened"},
        {"EmptySource", true, 0, "", 0, 1, "", Nothing, "!!ERROR!!",
         "-300 The specified file cannot be found"},
        {"MissingSource", true, 0, "{missing}", 0, 1, "", Nothing, "!!ERROR!!",
         "-300 The specified file cannot be found"},
        {"SourceNotCreated", true, 0, "{file}", 0, 1, "",
         [] { Script().onCall("PDDoc.Create", 2).fail(E_OUTOFMEMORY); }, "!!ERROR!!",
         "-200 Library failed to loadAcroExch.PDoc"},
        {"SourceDoesNotOpen", true, 0, "{file}", 0, 1, "",
         [] { Script().onCall("PDDoc.Open", 2).answerFalse(); }, "!!ERROR!!",
         "-2017 Unable to open the PDF file{file}"},
        // The application refuses the file and says why: the reason is the detail.
        {"SourceRefusedWithReason", true, 0, "{file}", 0, 1, "",
         [] {
             Script()
                 .onCall("PDDoc.Open", 2)
                 .failWithInfo(kStatusOperationNotDone, u"Cannot read x: not a regular file");
         },
         "!!ERROR!!", "-2017 Unable to open the PDF fileCannot read x: not a regular file"},
        {"SourceRefusedWithoutReason", true, 0, "{file}", 0, 1, "",
         [] { Script().onCall("PDDoc.Open", 2).fail(kStatusOperationNotDone); }, "!!ERROR!!",
         "-2017 Unable to open the PDF filethe application gave no reason"},
        {"SourceOpenFails", true, 0, "{file}", 0, 1, "",
         [] { Script().onCall("PDDoc.Open", 2).failWithInfo(E_FAIL, u"damaged"); }, "!!ERROR!!",
         "-999 COM ExceptionError:80004005 Description: damaged"},
        // -1 is the engine's own "before the first page": the only way to put
        // pages at the start.
        {"AfterPageBeforeTheFirst",
         true,
         -1,
         "{file}",
         0,
         1,
         "",
         Nothing,
         "0",
         "0 Success",
         {"-1", "0", "1", "0"}},
        {"AfterPageBelowBeforeTheFirst", true, -2, "{file}", 0, 1, "", Nothing, "!!ERROR!!",
         "-2012 Invalid page rangeafterPage is not valid"},
        {"AfterPageMostNegative", true, -2147483647 - 1, "{file}", 0, 1, "", Nothing, "!!ERROR!!",
         "-2012 Invalid page rangeafterPage is not valid"},
        {"AfterPageBeyondCount", true, 6, "{file}", 0, 1, "", Nothing, "!!ERROR!!",
         "-2012 Invalid page rangeafterPage is not valid"},
        {"AfterPageEqualToCount",
         true,
         5,
         "{file}",
         0,
         1,
         "",
         Nothing,
         "0",
         "0 Success",
         {"5", "0", "1", "0"}},
        {"StartPageNegative", true, 0, "{file}", -1, 1, "", Nothing, "!!ERROR!!",
         "-2012 Invalid page rangestartPage is not valid"},
        {"StartPageBeyondSource", true, 0, "{file}", 6, 0, "", Nothing, "!!ERROR!!",
         "-2012 Invalid page rangestartPage is not valid"},
        {"StartPageEqualToSourceCount",
         true,
         0,
         "{file}",
         5,
         0,
         "",
         Nothing,
         "0",
         "0 Success",
         {"0", "5", "0", "0"}},
        {"NumPagesNegative", true, 0, "{file}", 0, -1, "", Nothing, "!!ERROR!!",
         "-2012 Invalid page rangenumPages is not valid"},
        {"RunEndsOnLastSourcePage",
         true,
         2,
         "{file}",
         2,
         3,
         "yes",
         Nothing,
         "0",
         "0 Success",
         {"2", "2", "3", "1"}},
        // A run of pages must lie inside the source: 2 + 4 > 5.
        {"RunPastSourceEnd", true, 0, "{file}", 2, 4, "", Nothing, "!!ERROR!!",
         "-2012 Invalid page rangenumPages is not valid"},
        {"RunLongerThanSource", true, 0, "{file}", 0, 6, "", Nothing, "!!ERROR!!",
         "-2012 Invalid page rangenumPages is not valid"},
        {"RunEndBeyondLongRange", true, 0, "{file}", 5, 2147483647, "", Nothing, "!!ERROR!!",
         "-2012 Invalid page rangenumPages is not valid"},
        {"OpenDocumentCountFails", true, 1, "{file}", 0, 1, "",
         [] { Script().onCall("PDDoc.GetNumPages", 2).fail(E_FAIL); }, "!!ERROR!!",
         "-999 COM ExceptionError:80004005 Description: "},
        {"InsertionRefused",
         true,
         0,
         "{file}",
         0,
         1,
         "",
         [] { Script().on("PDDoc.InsertPages").answerFalse(); },
         "!!ERROR!!",
         "-2018 Unable to insert pages",
         {"0", "0", "1", "0"}},
        {"InsertionFails",
         true,
         0,
         "{file}",
         0,
         1,
         "",
         [] { Script().on("PDDoc.InsertPages").failWithInfo(E_FAIL, u"full"); },
         "!!ERROR!!",
         "-999 COM ExceptionError:80004005 Description: full",
         {"0", "0", "1", "0"}},
        {"InsertionRefusedWithReason",
         true,
         0,
         "{file}",
         0,
         1,
         "",
         [] { Script().on("PDDoc.InsertPages").failWithInfo(kStatusOperationNotDone, u"too big"); },
         "!!ERROR!!",
         "-2018 Unable to insert pagestoo big",
         {"0", "0", "1", "0"}},
        {"BookmarkWordInvalid", true, 0, "{file}", 0, 1, "maybe", Nothing, "!!ERROR!!",
         "-4 Invalid Parameter value(s)"},
    };
    return rows;
}

void PrintTo(const InsertRow& row, std::ostream* out) {
    *out << row.name;
}

std::string Replace(std::string text, const std::string& key, const std::string& value) {
    for (auto at = text.find(key); at != std::string::npos; at = text.find(key)) {
        text.replace(at, key.size(), value);
    }
    return text;
}

class InsertPages : public ::testing::TestWithParam<InsertRow> {};

TEST_P(InsertPages, ChecksSendsAndCleansUp) {
    const InsertRow& row = GetParam();
    SessionFixture session;
    ASSERT_TRUE(session.Start());
    if (row.open) {
        ASSERT_EQ(session.Open(), "0");
    }
    row.arrange();
    const std::string source = Replace(Replace(row.source, "{file}", session.File()), "{missing}",
                                       session.PathInFolder("missing.pdf"));

    EXPECT_EQ(session.Call("QELT_InsertPages",
                           {row.afterPage, source, row.startPage, row.numPages, row.bookmarks}),
              row.result);
    EXPECT_EQ(LastError(session), Replace(row.error, "{file}", session.File()));

    const auto inserted = ArgumentsOf("PDDoc.InsertPages");
    if (row.insertedWith.empty()) {
        EXPECT_TRUE(inserted.empty());
    } else {
        ASSERT_EQ(inserted.size(), 1u);
        const auto& args = inserted[0];
        ASSERT_EQ(args.size(), 5u);
        EXPECT_EQ((std::vector<std::string>{args[0], args[2], args[3], args[4]}), row.insertedWith);
    }
    // A source document that was created is closed (once) and released.
    const auto created = Script().CallsTo("PDDoc.Create");
    if (created.size() == 2 && created[1].resultObjectId != 0) {
        const int sourceId = created[1].resultObjectId;
        int closes = 0;
        bool released = false;
        for (const CallRecord& call : Script().Calls()) {
            if (call.objectId == sourceId && call.operation == "PDDoc.Close") {
                ++closes;
            }
            released = released || (call.objectId == sourceId && call.operation == "PDDoc.Release");
        }
        EXPECT_EQ(closes, 1);
        EXPECT_TRUE(released);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, InsertPages, ::testing::ValuesIn(Rows()),
                         [](const auto& info) { return info.param.name; });

// The bookmark word: the yes and no words in any letter case, an empty
// parameter meaning no.
class BookmarkWord : public ::testing::TestWithParam<std::pair<std::string, std::string>> {};

TEST_P(BookmarkWord, BecomesTheFlag) {
    SessionFixture session;
    ASSERT_TRUE(session.Start());
    ASSERT_EQ(session.Open(), "0");
    ASSERT_EQ(session.Call("QELT_InsertPages", {0, session.File(), 0, 1, GetParam().first}), "0");
    const auto inserted = ArgumentsOf("PDDoc.InsertPages");
    ASSERT_EQ(inserted.size(), 1u);
    EXPECT_EQ(inserted[0][4], GetParam().second);
}

INSTANTIATE_TEST_SUITE_P(Words, BookmarkWord,
                         ::testing::Values(std::pair{"yes", "1"}, std::pair{"On", "1"},
                                           std::pair{"y", "1"}, std::pair{"TRUE", "1"},
                                           std::pair{"1", "1"}, std::pair{"off", "0"},
                                           std::pair{"0", "0"}, std::pair{"N", "0"},
                                           std::pair{"False", "0"}, std::pair{"", "0"}));

TEST(InsertPagesClass, UnknownDocumentClassIsReported) {
    SessionFixture session;
    ASSERT_TRUE(session.Start());
    ASSERT_EQ(session.Open(), "0");
    const std::string registry = session.PathInFolder("no_pddoc_registry.txt");
    paginor::scripted::WriteRegistry(registry, {u"AcroExch.PDDoc"});
    const paginor::ComRegistryOverride without(registry);
    EXPECT_EQ(session.Call("QELT_InsertPages", {0, session.File(), 0, 1, ""}), "!!ERROR!!");
    EXPECT_EQ(LastError(session), "-200 Library failed to loadClassid for AcroExch.PDoc");
}

} // namespace
