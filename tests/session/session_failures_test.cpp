// Every way a document or application function can fail, as a user sees it:
// the "!!ERROR!!" result, and the last error's number, message and detail.
#include "automation_contract/automation_values.h"
#include "session_test_fixture.h"

#include <cerrno>
#include <functional>
#include <system_error>

namespace {

using paginor::scripted::Script;

struct FailureRow {
    std::string name;
    std::string function;
    std::optional<std::string> param; // "{file}", "{missing}" and "{folder}" are replaced
    std::function<void(SessionFixture&)> arrange;
    int code;
    std::string errorText; // message immediately followed by the detail
    std::vector<std::u16string> omittedProgIds = {};
};

void OpenFirst(SessionFixture& session) {
    ASSERT_EQ(session.Open(), "0");
}
void Nothing(SessionFixture&) {}

std::string SystemReason(int error) {
    return std::generic_category().message(error);
}

const std::vector<FailureRow>& Rows() {
    static const std::vector<FailureRow> rows = {
        // Parameters.
        {"OpenEmptyPath", "QELT_OpenPDF", "", Nothing, -4, "Invalid Parameter value(s)"},
        {"DeleteEmptyPath", "QELT_DeletePDF", "", Nothing, -4, "Invalid Parameter value(s)"},
        {"SaveAsEmptyPath", "QELT_SaveAsPDF", "", OpenFirst, -4, "Invalid Parameter value(s)"},
        {"SaveAsWithoutParameter", "QELT_SaveAsPDF", std::nullopt, OpenFirst, -3,
         "Invalid Number of Parameters"},

        // Opening.
        {"OpenWhileOpen", "QELT_OpenPDF", "{file}", OpenFirst, -2013, "A file is already opened"},
        {"OpenMissingFile", "QELT_OpenPDF", "{missing}", Nothing, -300,
         "The specified file cannot be found"},
        {"ApplicationClassUnknown",
         "QELT_OpenPDF",
         "{file}",
         Nothing,
         -200,
         "Library failed to loadClassid for AcroExch.App",
         {u"AcroExch.App"}},
        {"ApplicationCreationFails", "QELT_OpenPDF", "{file}",
         [](SessionFixture&) { Script().on("App.Create").fail(E_OUTOFMEMORY); }, -200,
         "Library failed to loadAcroExch.App"},
        {"ApplicationDoesNotRun", "QELT_OpenPDF", "{file}",
         [](SessionFixture&) { Script().on("App.Run").fail(E_FAIL); }, -200,
         "Library failed to loadAcroExch.App"},
        {"ApplicationRefusesItsInterface", "QELT_OpenPDF", "{file}",
         [](SessionFixture&) { Script().on("App.Create").refuseNarrowing(); }, -200,
         "Library failed to loadAcroExch.App"},
        {"DocumentClassUnknown",
         "QELT_OpenPDF",
         "{file}",
         Nothing,
         -200,
         "Library failed to loadClassid for AcroExch.PDDoc",
         {u"AcroExch.PDDoc"}},
        {"DocumentCreationFails", "QELT_OpenPDF", "{file}",
         [](SessionFixture&) { Script().on("PDDoc.Create").fail(REGDB_E_CLASSNOTREG); }, -200,
         "Library failed to loadAcroExch.PDoc"},
        {"OpenFailsWithoutErrorInfo", "QELT_OpenPDF", "{file}",
         [](SessionFixture&) { Script().on("PDDoc.Open").fail(E_FAIL); }, -999,
         "COM ExceptionError:80004005 Description: "},
        {"OpenFailsWithErrorInfo", "QELT_OpenPDF", "{file}",
         [](SessionFixture&) { Script().on("PDDoc.Open").failWithInfo(E_ACCESSDENIED, u"locked"); },
         -999, "COM ExceptionError:80070005 Description: locked"},
        {"OpenFailsWithForeignErrorInfo", "QELT_OpenPDF", "{file}",
         [](SessionFixture&) {
             Script().on("PDDoc.Open").failWithInfo(E_FAIL, u"not mine", false);
         },
         -999, "COM ExceptionError:80004005 Description: "},
        {"OpenAnswersFalse", "QELT_OpenPDF", "{file}",
         [](SessionFixture&) { Script().on("PDDoc.Open").answerFalse(); }, -2017,
         "Unable to open the PDF file"},
        // The application's reason for refusing the file becomes the detail.
        {"OpenRefusedWithReason", "QELT_OpenPDF", "{file}",
         [](SessionFixture&) {
             Script()
                 .on("PDDoc.Open")
                 .failWithInfo(kStatusOperationNotDone,
                               u"Cannot open x: the document is protected by a password");
         },
         -2017,
         "Unable to open the PDF fileCannot open x: the document is protected by a password"},
        {"ViewerWindowFails", "QELT_OpenPDF", "{file}",
         [](SessionFixture&) { Script().on("PDDoc.OpenInViewer").fail(E_UNEXPECTED); }, -999,
         "COM ExceptionError:8000FFFF Description: "},

        // Deleting.
        {"DeleteMissingFile", "QELT_DeletePDF", "{missing}", Nothing, -300,
         "The specified file cannot be found"},
        // The C runtime refuses to unlink a folder as access denied.
        {"DeleteFolder", "QELT_DeletePDF", "{folder}", Nothing, -2020,
         "Unable to delete the file" + SystemReason(EACCES)},

        // Saving.
        {"SaveWithoutDocument", "QELT_SavePDF", std::nullopt, Nothing, -2007, "No AV File opened"},
        {"SaveAsWithoutDocument", "QELT_SaveAsPDF", "{missing}", Nothing, -2007,
         "No AV File opened"},
        {"SaveWithoutViewerWindow", "QELT_SavePDF", std::nullopt,
         [](SessionFixture& session) {
             Script().on("PDDoc.OpenInViewer").noObject();
             OpenFirst(session);
         },
         -2007, "No AV File opened"},
        {"SaveWithRefusedViewerWindow", "QELT_SavePDF", std::nullopt,
         [](SessionFixture& session) {
             Script().on("PDDoc.OpenInViewer").refuseNarrowing();
             OpenFirst(session);
         },
         -2007, "No AV File opened"},
        {"SaveAsWithoutViewerWindow", "QELT_SaveAsPDF", "{missing}",
         [](SessionFixture& session) {
             Script().on("PDDoc.OpenInViewer").noObject();
             OpenFirst(session);
         },
         -2007, "No AV File opened"},
        {"SaveAsWithRefusedViewerWindow", "QELT_SaveAsPDF", "{missing}",
         [](SessionFixture& session) {
             Script().on("PDDoc.OpenInViewer").refuseNarrowing();
             OpenFirst(session);
         },
         -2007, "No AV File opened"},
        {"SaveFails", "QELT_SavePDF", std::nullopt,
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("PDDoc.Save").failWithInfo(E_FAIL, u"disk full");
         },
         -999, "COM ExceptionError:80004005 Description: disk full"},
        {"SaveAnswersFalse", "QELT_SavePDF", std::nullopt,
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("PDDoc.Save").answerFalse();
         },
         -2019, "Unable to save the PDF file"},
        {"SaveAsAnswersFalse", "QELT_SaveAsPDF", "{missing}",
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("PDDoc.Save").answerFalse();
         },
         -2019, "Unable to save the PDF file"},

        // Page count.
        {"PageCountWithoutDocument", "QELT_GetNumPages", std::nullopt, Nothing, -2000,
         "No PDF Document opened"},
        {"PageCountFails", "QELT_GetNumPages", std::nullopt,
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("PDDoc.GetNumPages").fail(static_cast<HRESULT>(0x8001010Au));
         },
         -999, "COM ExceptionError:8001010A Description: "},

        // The application.
        {"ShowWithoutApplication", "QELT_ShowAcrobat", std::nullopt, Nothing, -2006,
         "Acrobat is not opened"},
        {"HideWithoutApplication", "QELT_HideAcrobat", std::nullopt, Nothing, -2006,
         "Acrobat is not opened"},
        {"ShowAnswersFalse", "QELT_ShowAcrobat", std::nullopt,
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("App.Show").answerFalse();
         },
         -2021, "Unable to show acrobat"},
        {"HideAnswersFalse", "QELT_HideAcrobat", std::nullopt,
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("App.Hide").answerFalse();
         },
         -2016, "Unable to hide acrobat"},
        {"ShowFails", "QELT_ShowAcrobat", std::nullopt,
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("App.Show").fail(E_FAIL);
         },
         -999, "COM ExceptionError:80004005 Description: "},
        {"HideFails", "QELT_HideAcrobat", std::nullopt,
         [](SessionFixture& session) {
             OpenFirst(session);
             Script().on("App.Hide").failWithInfo(E_FAIL, u"busy");
         },
         -999, "COM ExceptionError:80004005 Description: busy"},
        {"CloseApplicationWithDocumentAndViewer", "QELT_CloseAcrobat", std::nullopt, OpenFirst,
         -2003, "A docment is still opened"},
        {"CloseApplicationWithDocumentOnly", "QELT_CloseAcrobat", std::nullopt,
         [](SessionFixture& session) {
             Script().on("PDDoc.OpenInViewer").noObject();
             OpenFirst(session);
         },
         -2004, "A document is still opened"},
        {"CloseApplicationFails", "QELT_CloseAcrobat", std::nullopt,
         [](SessionFixture& session) {
             OpenFirst(session);
             ASSERT_EQ(session.Call("QELT_ClosePDF"), "0");
             Script().on("App.CloseAllDocuments").fail(E_FAIL);
         },
         -999, "COM ExceptionError:80004005 Description: "},
    };
    return rows;
}

void PrintTo(const FailureRow& row, std::ostream* out) {
    *out << row.name;
}

class SessionFailure : public ::testing::TestWithParam<FailureRow> {};

TEST_P(SessionFailure, ReportsCodeMessageAndDetail) {
    const FailureRow& row = GetParam();
    SessionFixture session(row.omittedProgIds);
    ASSERT_TRUE(session.Start());
    row.arrange(session);
    ASSERT_FALSE(HasFatalFailure());

    std::optional<std::string> param = row.param;
    if (param == "{file}") {
        param = session.File();
    } else if (param == "{missing}") {
        param = session.PathInFolder("missing.pdf");
    } else if (param == "{folder}") {
        param = session.PathInFolder("");
    }
    EXPECT_EQ(session.Call(row.function, param), "!!ERROR!!");
    EXPECT_EQ(session.ErrorNumber(), row.code);
    EXPECT_EQ(session.ErrorText(), row.errorText);
}

INSTANTIATE_TEST_SUITE_P(Rows, SessionFailure, ::testing::ValuesIn(Rows()),
                         [](const auto& info) { return info.param.name; });

} // namespace
