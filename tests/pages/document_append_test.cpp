// QELT_AppendPDF: the carriage-return list, one source document opened per
// file, each file inserted behind the open document's last page.
#include "automation_contract/automation_values.h"
#include "page_test_support.h"

#include <fstream>
#include <functional>

namespace {

struct AppendRow {
    std::string name;
    std::string list; // "{a}", "{b}", "{c}", "{missing}" are replaced by paths
    std::function<void()> arrange;
    std::string result;
    std::string error;
    std::vector<std::string> opened = {}; // the sources opened, in order
    std::vector<std::string> insertAfter = {};
};

void Nothing() {}

const std::vector<AppendRow>& Rows() {
    static const std::vector<AppendRow> rows = {
        {"Two", "{a}\r{b}", Nothing, "0", "0 Success", {"{a}", "{b}"}, {"4", "4"}},
        {"DoubleSeparator", "{a}\r\r{b}", Nothing, "0", "0 Success", {"{a}", "{b}"}, {"4", "4"}},
        {"SeparatorsAtBothEnds",
         "\r{a}\r{b}\r",
         Nothing,
         "0",
         "0 Success",
         {"{a}", "{b}"},
         {"4", "4"}},
        {"SamePathTwice", "{a}\r{a}", Nothing, "0", "0 Success", {"{a}", "{a}"}, {"4", "4"}},
        // The line feed belongs to the second path, which names no file.
        {"CarriageReturnLineFeed",
         "{a}\r\n{b}",
         Nothing,
         "!!ERROR!!",
         "-300 The specified file cannot be found",
         {"{a}"},
         {"4"}},
        {"MissingMiddlePath",
         "{a}\r{missing}\r{c}",
         Nothing,
         "!!ERROR!!",
         "-300 The specified file cannot be found",
         {"{a}"},
         {"4"}},
        {"EmptyList", "", Nothing, "!!ERROR!!", "-300 The specified file cannot be found"},
        {"SeparatorsOnly", "\r\r", Nothing, "!!ERROR!!", "-300 The specified file cannot be found"},
        {"EmptyOpenDocument",
         "{a}",
         [] { Script().onCall("PDDoc.GetNumPages", 1).answer(0); },
         "0",
         "0 Success",
         {"{a}"},
         {"-1"}},
        {"SecondDoesNotOpen",
         "{a}\r{b}\r{c}",
         [] { Script().onCall("PDDoc.Open", 3).answerFalse(); },
         "!!ERROR!!",
         "-2017 Unable to open the PDF file{b}",
         {"{a}", "{b}"},
         {"4"}},
        {"SecondRefused",
         "{a}\r{b}\r{c}",
         [] { Script().onCall("PDDoc.InsertPages", 2).answerFalse(); },
         "!!ERROR!!",
         "-2018 Unable to insert pages{b}",
         {"{a}", "{b}"},
         {"4", "4"}},
        {"SecondRefusedWithReason",
         "{a}\r{b}\r{c}",
         [] {
             Script()
                 .onCall("PDDoc.Open", 3)
                 .failWithInfo(kStatusOperationNotDone, u"Cannot read b: not a regular file");
         },
         "!!ERROR!!",
         "-2017 Unable to open the PDF fileCannot read b: not a regular file",
         {"{a}", "{b}"},
         {"4"}},
        {"SecondInsertionRefusedWithReason",
         "{a}\r{b}\r{c}",
         [] {
             Script()
                 .onCall("PDDoc.InsertPages", 2)
                 .failWithInfo(kStatusOperationNotDone, u"stream too large");
         },
         "!!ERROR!!",
         "-2018 Unable to insert pages{b}: stream too large",
         {"{a}", "{b}"},
         {"4", "4"}},
        {"SecondCloseFails",
         "{a}\r{b}\r{c}",
         [] { Script().onCall("PDDoc.Close", 2).fail(E_FAIL); },
         "!!ERROR!!",
         "-999 COM ExceptionError:80004005 Description: ",
         {"{a}", "{b}"},
         {"4", "4"}},
        {"SourceNotCreated", "{a}", [] { Script().onCall("PDDoc.Create", 2).fail(E_FAIL); },
         "!!ERROR!!", "-200 Library failed to loadAcroExch.PDoc"},
    };
    return rows;
}

void PrintTo(const AppendRow& row, std::ostream* out) {
    *out << row.name;
}

class AppendPDF : public ::testing::TestWithParam<AppendRow> {
protected:
    std::string Paths(std::string text, SessionFixture& session) {
        for (const char* name : {"a", "b", "c", "missing"}) {
            const std::string key = std::string("{") + name + "}";
            const std::string path = session.PathInFolder(std::string(name) + ".pdf");
            for (auto at = text.find(key); at != std::string::npos; at = text.find(key)) {
                text.replace(at, key.size(), path);
            }
        }
        return text;
    }
};

TEST_P(AppendPDF, AppendsFilesInListOrder) {
    const AppendRow& row = GetParam();
    SessionFixture session;
    ASSERT_TRUE(session.Start());
    for (const char* name : {"a", "b", "c"}) {
        std::ofstream(session.PathInFolder(std::string(name) + ".pdf")) << "%PDF-1.4\n";
    }
    ASSERT_EQ(session.Open(), "0");
    row.arrange();

    EXPECT_EQ(session.Call("QELT_AppendPDF", Paths(row.list, session)), row.result);
    EXPECT_EQ(LastError(session), Paths(row.error, session));

    std::vector<std::string> expectedOpened;
    for (const std::string& path : row.opened) {
        expectedOpened.push_back(Paths(path, session));
    }
    std::vector<std::string> opened = {};
    const auto opens = ArgumentsOf("PDDoc.Open");
    for (std::size_t i = 1; i < opens.size(); ++i) { // the first opened the document itself
        opened.push_back(opens[i].at(0));
    }
    EXPECT_EQ(opened, expectedOpened);

    std::vector<std::string> insertAfter = {};
    for (const auto& args : ArgumentsOf("PDDoc.InsertPages")) {
        insertAfter.push_back(args.at(0));
        EXPECT_EQ(args.at(2), "0"); // from the source's first page
        EXPECT_EQ(args.at(3), "5"); // all of its pages
        EXPECT_EQ(args.at(4), "1"); // with bookmarks
    }
    EXPECT_EQ(insertAfter, row.insertAfter);
}

INSTANTIATE_TEST_SUITE_P(Rows, AppendPDF, ::testing::ValuesIn(Rows()),
                         [](const auto& info) { return info.param.name; });

TEST(AppendPDFDocument, NeedsAnOpenDocument) {
    SessionFixture session;
    ASSERT_TRUE(session.Start());
    EXPECT_EQ(session.Call("QELT_AppendPDF", session.File()), "!!ERROR!!");
    EXPECT_EQ(LastError(session), "-2000 No PDF Document opened");
    EXPECT_EQ(Script().CallCount("PDDoc.Create"), 0u);
}

// The source document's class cannot be looked up: a load failure before any
// file is touched, and the open document stays as it was.
TEST(AppendPDFDocument, UnknownSourceClassIsALoadFailure) {
    SessionFixture session;
    ASSERT_TRUE(session.Start());
    ASSERT_EQ(session.Open(), "0");
    const std::string registry = session.PathInFolder("without-pddoc.txt");
    paginor::scripted::WriteRegistry(registry, {u"AcroExch.PDDoc"});
    {
        const paginor::ComRegistryOverride withoutDocumentClass(registry);
        EXPECT_EQ(session.Call("QELT_AppendPDF", session.File()), "!!ERROR!!");
        EXPECT_EQ(LastError(session), "-200 Library failed to loadClassid for AcroExch.PDoc");
    }
    EXPECT_EQ(Script().CallCount("PDDoc.Create"), 1u) << "no source document";
    EXPECT_EQ(Script().CallCount("PDDoc.InsertPages"), 0u);
    Script().on("PDDoc.GetNumPages").answer(LONG{5});
    EXPECT_EQ(session.Call("QELT_GetNumPages"), "5");
}

} // namespace
