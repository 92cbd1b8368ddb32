// How the session moves between Idle, Application held and Document open,
// and what it asks of the automation server on the way.
#include "automation_contract/automation_values.h"
#include "session_test_fixture.h"

#include <algorithm>

namespace {

using paginor::scripted::Argument;
using paginor::scripted::Script;

std::vector<std::string> WithoutReleases(std::vector<std::string> operations) {
    std::erase_if(operations, [](const std::string& op) { return op.ends_with(".Release"); });
    return operations;
}

std::u16string Text(const std::string& utf8) {
    return plugin_host::Utf16(utf8);
}

class SessionLifecycle : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(session.Start()); }
    SessionFixture session;
};

TEST_F(SessionLifecycle, OpenCreatesObjectsAndPassesThePathAsFileAndTitle) {
    ASSERT_EQ(session.Open(), "0");
    EXPECT_EQ(session.ErrorNumber(), 0);
    EXPECT_EQ(session.ErrorText(), "Success");
    EXPECT_EQ(WithoutReleases(Script().Operations()),
              (std::vector<std::string>{"App.Create", "App.Run", "PDDoc.Create", "PDDoc.Run",
                                        "PDDoc.Open", "PDDoc.OpenInViewer"}));
    EXPECT_EQ(Script().CallsTo("PDDoc.Open").at(0).arguments.at(0).text, Text(session.File()));
    EXPECT_EQ(Script().CallsTo("PDDoc.OpenInViewer").at(0).arguments.at(0).text,
              Text(session.File()));
}

TEST_F(SessionLifecycle, CloseOnlyDropsReferencesAndTheApplicationIsReused) {
    ASSERT_EQ(session.Open(), "0");
    ASSERT_EQ(session.Call("QELT_ClosePDF"), "0");
    EXPECT_EQ(Script().CallCount("PDDoc.Close"), 0u);
    EXPECT_EQ(Script().CallCount("PDDoc.Release"), 1u);
    EXPECT_EQ(Script().CallCount("Viewer.Release"), 1u);
    EXPECT_EQ(Script().CallCount("App.Release"), 0u);
    EXPECT_EQ(session.Call("QELT_GetNumPages"), "!!ERROR!!");
    EXPECT_EQ(session.ErrorNumber(), -2000);

    ASSERT_EQ(session.Open(), "0");
    EXPECT_EQ(Script().CallCount("App.Create"), 1u);
    EXPECT_EQ(Script().CallCount("PDDoc.Create"), 2u);
}

TEST_F(SessionLifecycle, CloseWithNothingOpenSucceeds) {
    EXPECT_EQ(session.Call("QELT_ClosePDF"), "0");
    EXPECT_EQ(session.Call("QELT_CloseAcrobat"), "0");
    EXPECT_EQ(session.ErrorText(), "Success");
    EXPECT_TRUE(Script().Calls().empty());
}

TEST_F(SessionLifecycle, RefusedSecondOpenLeavesTheFirstDocument) {
    ASSERT_EQ(session.Open(), "0");
    EXPECT_EQ(session.Call("QELT_OpenPDF", session.File()), "!!ERROR!!");
    EXPECT_EQ(Script().CallCount("PDDoc.Create"), 1u);
    EXPECT_EQ(Script().CallCount("PDDoc.Release"), 0u);
    Script().on("PDDoc.GetNumPages").answer(LONG{7});
    EXPECT_EQ(session.Call("QELT_GetNumPages"), "7");
}

TEST_F(SessionLifecycle, MissingFileCreatesNoObject) {
    EXPECT_EQ(session.Call("QELT_OpenPDF", session.PathInFolder("absent.pdf")), "!!ERROR!!");
    EXPECT_TRUE(Script().Calls().empty());
}

// A failed open goes back to the state before the call: no document counts as
// open, and the application is held exactly when it was held before.
struct FailedOpenRow {
    const char* name;
    const char* operation;
    bool answerFalse;
    bool applicationHeldBefore;
};

class FailedOpen : public ::testing::TestWithParam<FailedOpenRow> {};

TEST_P(FailedOpen, ReturnsToThePreviousState) {
    const FailedOpenRow& row = GetParam();
    SessionFixture session;
    ASSERT_TRUE(session.Start());
    if (row.applicationHeldBefore) {
        ASSERT_EQ(session.Open(), "0");
        ASSERT_EQ(session.Call("QELT_ClosePDF"), "0");
    }
    if (row.answerFalse) {
        Script()
            .onCall(row.operation, static_cast<int>(Script().CallCount(row.operation)) + 1)
            .answerFalse();
    } else {
        Script()
            .onCall(row.operation, static_cast<int>(Script().CallCount(row.operation)) + 1)
            .fail(E_FAIL);
    }

    EXPECT_EQ(session.Open(), "!!ERROR!!");
    EXPECT_EQ(session.Call("QELT_GetNumPages"), "!!ERROR!!");
    EXPECT_EQ(session.ErrorNumber(), -2000);
    EXPECT_EQ(session.Call("QELT_ShowAcrobat"), row.applicationHeldBefore ? "0" : "!!ERROR!!");

    // Nothing blocks the next open.
    EXPECT_EQ(session.Open(), "0");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FailedOpen,
    ::testing::Values(FailedOpenRow{"OpenFalseFromIdle", "PDDoc.Open", true, false},
                      FailedOpenRow{"OpenFalseWithApplication", "PDDoc.Open", true, true},
                      FailedOpenRow{"OpenFailsFromIdle", "PDDoc.Open", false, false},
                      FailedOpenRow{"OpenFailsWithApplication", "PDDoc.Open", false, true},
                      FailedOpenRow{"ViewerFailsFromIdle", "PDDoc.OpenInViewer", false, false},
                      FailedOpenRow{"ViewerFailsWithApplication", "PDDoc.OpenInViewer", false,
                                    true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(SessionLifecycle, DocumentCreationFailureDropsAHeldApplication) {
    ASSERT_EQ(session.Open(), "0");
    ASSERT_EQ(session.Call("QELT_ClosePDF"), "0");
    Script().on("PDDoc.Create").fail(E_OUTOFMEMORY);
    EXPECT_EQ(session.Open(), "!!ERROR!!");
    EXPECT_EQ(Script().CallCount("App.Release"), 1u);
    EXPECT_EQ(session.Call("QELT_ShowAcrobat"), "!!ERROR!!");
    EXPECT_EQ(session.ErrorNumber(), -2006);
}

TEST_F(SessionLifecycle, AWindowlessDocumentStillCountsAsOpen) {
    Script().on("PDDoc.OpenInViewer").refuseNarrowing();
    ASSERT_EQ(session.Open(), "0");
    Script().on("PDDoc.GetNumPages").answer(LONG{3});
    EXPECT_EQ(session.Call("QELT_GetNumPages"), "3");
    EXPECT_EQ(session.Call("QELT_OpenPDF", session.File()), "!!ERROR!!");
    EXPECT_EQ(session.ErrorNumber(), -2013);
}

TEST_F(SessionLifecycle, SaveAsKeepsTheOpenPathForTheNextSave) {
    ASSERT_EQ(session.Open(), "0");
    const std::string copy = session.PathInFolder("copy.pdf");
    EXPECT_EQ(session.Call("QELT_SaveAsPDF", copy), "0");
    EXPECT_EQ(session.Call("QELT_SavePDF"), "0");
    EXPECT_EQ(session.ErrorText(), "Success");

    const auto saves = Script().CallsTo("PDDoc.Save");
    ASSERT_EQ(saves.size(), 2u);
    EXPECT_EQ(saves[0].arguments.at(0).number, kSaveFull | kSaveCopy);
    EXPECT_EQ(saves[0].arguments.at(1).text, Text(copy));
    EXPECT_EQ(saves[1].arguments.at(0).number, kSaveFull);
    EXPECT_EQ(saves[1].arguments.at(1).text, Text(session.File()));
}

TEST_F(SessionLifecycle, PageCountIsPassedOnAsAnswered) {
    ASSERT_EQ(session.Open(), "0");
    for (const LONG count : {LONG{0}, LONG{1}, LONG{250}, LONG{-3}}) {
        Script().on("PDDoc.GetNumPages").answer(count);
        EXPECT_EQ(session.Call("QELT_GetNumPages"), std::to_string(count));
    }
}

TEST_F(SessionLifecycle, CloseApplicationAsksInOrderThenLetsGo) {
    ASSERT_EQ(session.Open(), "0");
    ASSERT_EQ(session.Call("QELT_ClosePDF"), "0");
    ASSERT_EQ(session.Call("QELT_CloseAcrobat"), "0");
    EXPECT_EQ(
        Script().Operations("App."),
        (std::vector<std::string>{"App.Create", "App.Run", "App.Show", "App.CloseAllDocuments",
                                  "App.Hide", "App.EndApplication", "App.Release"}));
    EXPECT_EQ(session.Call("QELT_ShowAcrobat"), "!!ERROR!!");
    EXPECT_EQ(session.ErrorNumber(), -2006);
    EXPECT_EQ(session.Call("QELT_CloseAcrobat"), "0");

    ASSERT_EQ(session.Open(), "0");
    EXPECT_EQ(Script().CallCount("App.Create"), 2u);
}

TEST_F(SessionLifecycle, FailedCloseApplicationKeepsIt) {
    ASSERT_EQ(session.Open(), "0");
    ASSERT_EQ(session.Call("QELT_ClosePDF"), "0");
    Script().onCall("App.Hide", 1).fail(E_FAIL);
    EXPECT_EQ(session.Call("QELT_CloseAcrobat"), "!!ERROR!!");
    EXPECT_EQ(Script().CallCount("App.EndApplication"), 0u);
    EXPECT_EQ(Script().CallCount("App.Release"), 0u);
    EXPECT_EQ(session.Call("QELT_HideAcrobat"), "0");
}

TEST_F(SessionLifecycle, ShutdownKeepsTheDocumentUntilUnload) {
    ASSERT_EQ(session.Open(), "0");
    session.Host().Shutdown();
    EXPECT_EQ(Script().CallCount("App.Release"), 1u);
    EXPECT_EQ(Script().CallCount("Viewer.Release"), 1u);
    EXPECT_EQ(Script().CallCount("PDDoc.Release"), 0u);
    EXPECT_EQ(Script().CallCount("PDDoc.Close"), 0u);

    session.Unload();
    EXPECT_EQ(Script().CallCount("PDDoc.Release"), 1u);
}

// Closing the application while a document is open is refused and changes
// nothing: no request reaches the application, no reference is dropped, and
// the document, its window and the application work on as before.
struct CloseWithDocumentRow {
    const char* name;
    bool viewerWindow;
    std::string error;
};

class CloseApplicationWithADocument : public ::testing::TestWithParam<CloseWithDocumentRow> {};

TEST_P(CloseApplicationWithADocument, LeavesDocumentAndApplicationAsTheyWere) {
    const CloseWithDocumentRow& row = GetParam();
    SessionFixture session;
    ASSERT_TRUE(session.Start());
    if (!row.viewerWindow) {
        Script().on("PDDoc.OpenInViewer").noObject();
    }
    ASSERT_EQ(session.Open(), "0");
    const std::size_t callsBefore = Script().Calls().size();

    EXPECT_EQ(session.Call("QELT_CloseAcrobat"), "!!ERROR!!");
    EXPECT_EQ(LastError(session), row.error);
    EXPECT_EQ(Script().Calls().size(), callsBefore) << "nothing asked, nothing released";

    Script().on("PDDoc.GetNumPages").answer(LONG{4});
    EXPECT_EQ(session.Call("QELT_GetNumPages"), "4");
    EXPECT_EQ(session.Call("QELT_SavePDF"), row.viewerWindow ? "0" : "!!ERROR!!");
    EXPECT_EQ(session.Call("QELT_ShowAcrobat"), "0");
    EXPECT_EQ(session.Call("QELT_OpenPDF", session.File()), "!!ERROR!!");
    EXPECT_EQ(session.ErrorNumber(), -2013) << "the document still counts as open";
    EXPECT_EQ(Script().CallCount("App.Create"), 1u);
    EXPECT_EQ(Script().CallCount("PDDoc.Create"), 1u);

    // Closed in the right order, it then goes.
    ASSERT_EQ(session.Call("QELT_ClosePDF"), "0");
    EXPECT_EQ(session.Call("QELT_CloseAcrobat"), "0");
    EXPECT_EQ(Script().CallCount("App.EndApplication"), 1u);
}

INSTANTIATE_TEST_SUITE_P(Rows, CloseApplicationWithADocument,
                         ::testing::Values(CloseWithDocumentRow{"WithViewerWindow", true,
                                                                "-2003 A docment is still opened"},
                                           CloseWithDocumentRow{
                                               "WithoutViewerWindow", false,
                                               "-2004 A document is still opened"}),
                         [](const auto& info) { return std::string(info.param.name); });

// Shutdown lets go of the forms object and its field collection along with
// the application and the window; only the document waits for the unload.
TEST_F(SessionLifecycle, ShutdownReleasesTheFormsObject) {
    ASSERT_EQ(session.Open(), "0");
    ASSERT_EQ(session.Call("QELT_GetPDFFieldValue", std::string("Name")), "Alice");
    ASSERT_EQ(Script().CallCount("FormsApp.Create"), 1u);
    ASSERT_EQ(Script().CallCount("FormsApp.Release"), 0u);

    session.Host().Shutdown();
    EXPECT_EQ(Script().CallCount("FormsApp.Release"), 1u);
    EXPECT_EQ(Script().CallCount("Fields.Release"), 1u);
    EXPECT_EQ(Script().CallCount("App.Release"), 1u);
    EXPECT_EQ(Script().CallCount("PDDoc.Release"), 0u);
    EXPECT_EQ(Script().CallCount("FormsApp.get_Fields"), 1u) << "nothing asked at Shutdown";
}

TEST_F(SessionLifecycle, DeleteIgnoresTheSession) {
    ASSERT_EQ(session.Open(), "0");
    EXPECT_EQ(session.Call("QELT_DeletePDF", session.File()), "0");
    EXPECT_EQ(session.ErrorText(), "Success");
    EXPECT_FALSE(std::filesystem::exists(session.File()));
    EXPECT_EQ(session.Call("QELT_OpenPDF", session.File()), "!!ERROR!!");
    EXPECT_EQ(session.ErrorNumber(), -2013);
}

} // namespace
