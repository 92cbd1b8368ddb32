// The input-blocking hooks around QELT_OpenPDF and QELT_PrintPDF: a keyboard
// hook and a mouse hook on the calling thread while the engine works (seen
// from inside the server's calls), installed and removed in that order also
// when the call fails before reaching the engine, and none left afterwards.
#include "session_test_fixture.h"

#include "win/hooks_testing.h"
#include "win/thread.h"

#include <functional>
#include <map>

namespace {

using paginor::scripted::CallRecord;
using paginor::scripted::Script;
using paginor::win::HookChange;

constexpr int kKeyboard = 2; // WH_KEYBOARD
constexpr int kMouse = 7;    // WH_MOUSE

const std::vector<HookChange> kAroundTheCall = {
    {true, kKeyboard}, {true, kMouse}, {false, kKeyboard}, {false, kMouse}};

struct HookRow {
    const char* name;
    std::function<void(SessionFixture&)> arrange;
    std::string function;
    std::optional<std::string> param; // "{file}" is replaced by the fixture's file
    std::string result;
    std::vector<std::string> operationsInside; // server calls that must see both hooks
    std::vector<HookChange> changes = kAroundTheCall;
};

void PrintTo(const HookRow& row, std::ostream* out) {
    *out << row.name;
}

void Nothing(SessionFixture&) {}
void OpenFirst(SessionFixture& session) {
    ASSERT_EQ(session.Open(), "0");
}

class InputHooksDuringCalls : public ::testing::TestWithParam<HookRow> {};

TEST_P(InputHooksDuringCalls, AreInPlaceWhileTheCallRunsAndGoneAfter) {
    const HookRow& row = GetParam();
    SessionFixture session;
    ASSERT_TRUE(session.Start());
    row.arrange(session);
    const DWORD thread = GetCurrentThreadId();

    // Hook types installed on this thread at each observed server call.
    std::map<std::string, std::vector<int>> seen;
    Script().ObserveCalls([&](const CallRecord& call) {
        std::vector<int> types;
        for (const auto& hook : paginor::win::InstalledHooks(thread)) {
            types.push_back(hook.type);
        }
        seen.emplace(call.operation, types);
    });
    const std::size_t changesBefore = paginor::win::HookChanges(thread).size();

    std::optional<std::string> param = row.param;
    if (param && *param == "{file}") {
        param = session.File();
    }
    EXPECT_EQ(session.Call(row.function, param), row.result);
    Script().ObserveCalls(nullptr);

    const std::vector<HookChange> all = paginor::win::HookChanges(thread);
    EXPECT_EQ(std::vector<HookChange>(all.begin() + static_cast<long>(changesBefore), all.end()),
              row.changes);
    for (const std::string& operation : row.operationsInside) {
        ASSERT_TRUE(seen.contains(operation)) << operation << " was not called";
        EXPECT_EQ(seen[operation], (std::vector<int>{kKeyboard, kMouse})) << operation;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Calls, InputHooksDuringCalls,
    ::testing::Values(
        HookRow{"Open",
                Nothing,
                "QELT_OpenPDF",
                "{file}",
                "0",
                {"App.Create", "PDDoc.Open", "PDDoc.OpenInViewer"}},
        // Refused in the frame, yet the hooks were set up and taken down around the check.
        HookRow{"OpenEmptyPath", Nothing, "QELT_OpenPDF", "", "!!ERROR!!", {}},
        HookRow{
            "OpenMissingFile", Nothing, "QELT_OpenPDF", "/nonexistent/form.pdf", "!!ERROR!!", {}},
        HookRow{"OpenRefusedByTheEngine",
                [](SessionFixture&) { Script().on("PDDoc.Open").fail(E_FAIL); },
                "QELT_OpenPDF",
                "{file}",
                "!!ERROR!!",
                {"PDDoc.Open"}},
        HookRow{"Print",
                OpenFirst,
                "QELT_PrintPDF",
                std::nullopt,
                "0",
                {"PDDoc.GetNumPages", "Viewer.PrintPages"}},
        HookRow{"PrintLong", OpenFirst, "QELT_PrintPDF", "Yes", "0", {"Viewer.PrintPagesEx"}},
        // The viewer window that printing opens first is opened with the hooks in place.
        HookRow{"PrintWithoutViewerWindow",
                [](SessionFixture& session) {
                    Script().onCall("PDDoc.OpenInViewer", 1).noObject();
                    OpenFirst(session);
                },
                "QELT_PrintPDF",
                std::nullopt,
                "0",
                {"PDDoc.OpenInViewer", "Viewer.PrintPages"}},
        HookRow{"PrintWithoutDocument", Nothing, "QELT_PrintPDF", std::nullopt, "!!ERROR!!", {}},
        HookRow{"PrintFails",
                [](SessionFixture& session) {
                    OpenFirst(session);
                    Script().on("Viewer.PrintPages").fail(E_FAIL);
                },
                "QELT_PrintPDF",
                std::nullopt,
                "!!ERROR!!",
                {"Viewer.PrintPages"}},
        // A word that is neither yes nor no is refused before anything is printed.
        HookRow{"PrintRefusedWord", OpenFirst, "QELT_PrintPDF", "perhaps", "!!ERROR!!", {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
