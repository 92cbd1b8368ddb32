// A call that finds the automation server gone (its process stopped, or the
// object disconnected) is recorded like any failed call, and the session
// lets go of every reference to that server, so that the next OpenPDF starts
// a fresh one instead of reusing a dead application object forever. Other
// failures leave the session as it was.
#include "session_test_fixture.h"

#include <cstdio>
#include <functional>

namespace {

using paginor::scripted::Script;

constexpr HRESULT kServerUnavailable = HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE);
constexpr HRESULT kCallFailed = HRESULT_FROM_WIN32(RPC_S_CALL_FAILED);

struct LostServerRow {
    const char* name;
    std::function<void(SessionFixture&)> arrange; // before the failing operation is scripted
    const char* operation;                        // the scripted operation that fails
    HRESULT status;
    std::string function;
    std::vector<std::string> params;
    bool forgetsTheServer;
};

void PrintTo(const LostServerRow& row, std::ostream* out) {
    *out << row.name;
}

void OpenFirst(SessionFixture& session) {
    ASSERT_EQ(session.Open(), "0");
}

void OpenAndClose(SessionFixture& session) {
    ASSERT_EQ(session.Open(), "0");
    ASSERT_EQ(session.Call("QELT_ClosePDF"), "0");
}

void Nothing(SessionFixture&) {}

class LostServer : public testing::TestWithParam<LostServerRow> {};

TEST_P(LostServer, IsRecordedAndTheNextOpenStartsAFreshServer) {
    const LostServerRow& row = GetParam();
    SessionFixture session;
    ASSERT_TRUE(session.Start());
    row.arrange(session);
    Script().on(row.operation).failWithInfo(row.status, u"gone");

    std::vector<std::string> params = row.params;
    for (std::string& param : params) {
        param = param == "{file}" ? session.File() : param;
    }
    std::string result;
    if (params.empty()) {
        result = session.Call(row.function);
    } else if (params.size() == 1) {
        result = session.Call(row.function, {params[0]});
    } else {
        result = session.Call(row.function, {params[0], params[1]});
    }
    EXPECT_EQ(result, "!!ERROR!!");
    char digits[9];
    std::snprintf(digits, sizeof digits, "%08X", static_cast<unsigned>(row.status));
    EXPECT_EQ(LastError(session),
              "-999 COM ExceptionError:" + std::string(digits) + " Description: gone");

    Script().on(row.operation) = paginor::scripted::Behaviour(); // the fresh server works
    if (row.forgetsTheServer) {
        EXPECT_EQ(Script().LiveObjects(), 0) << "every reference to the lost server is dropped";
        EXPECT_EQ(session.Open(), "0");
        EXPECT_EQ(Script().CallCount("App.Create"), 2u) << "a fresh application object";
        EXPECT_EQ(session.Call("QELT_GetNumPages"), "5");
    } else {
        EXPECT_GT(Script().LiveObjects(), 0);
        EXPECT_EQ(Script().CallCount("App.Create"), 1u);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, LostServer,
                         testing::Values(LostServerRow{"OpenFindsTheServerUnavailable",
                                                       Nothing,
                                                       "PDDoc.Open",
                                                       kServerUnavailable,
                                                       "QELT_OpenPDF",
                                                       {"{file}"},
                                                       true},
                                         LostServerRow{"PageCountCallFails",
                                                       OpenFirst,
                                                       "PDDoc.GetNumPages",
                                                       kCallFailed,
                                                       "QELT_GetNumPages",
                                                       {},
                                                       true},
                                         LostServerRow{"FieldWriteFindsTheServerUnavailable",
                                                       OpenFirst,
                                                       "Field.put_Value",
                                                       kServerUnavailable,
                                                       "QELT_SetPDFFieldValue",
                                                       {"Name", "Ada"},
                                                       true},
                                         LostServerRow{"FieldEnumerationFindsTheServerGone",
                                                       OpenFirst,
                                                       "FieldEnum.Next",
                                                       kCallFailed,
                                                       "QELT_GetPDFFieldValue",
                                                       {"Name"},
                                                       true},
                                         LostServerRow{"PageTextDisconnected",
                                                       OpenFirst,
                                                       "Page.CreateTextSelection",
                                                       RPC_E_DISCONNECTED,
                                                       "QELT_GetTextFromPage",
                                                       {"1"},
                                                       true},
                                         LostServerRow{"CloseApplicationFindsTheServerUnavailable",
                                                       OpenAndClose,
                                                       "App.EndApplication",
                                                       kServerUnavailable,
                                                       "QELT_CloseAcrobat",
                                                       {},
                                                       true},
                                         LostServerRow{"AnOrdinaryFailureKeepsTheSession",
                                                       OpenFirst,
                                                       "PDDoc.GetNumPages",
                                                       E_FAIL,
                                                       "QELT_GetNumPages",
                                                       {},
                                                       false}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
