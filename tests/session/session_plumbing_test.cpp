// The automation plumbing beneath the session methods, linked in directly:
// holders, failure capture, object creation, creation failure codes and the
// input-blocking hooks.
#include "automation/create_instance.h"
#include "automation/guarded_steps.h"
#include "errors/last_error_record.h"
#include "host/plugin_module.h"
#include "input_hooks/input_blocking_hooks.h"
#include "scriptable_server.h"
#include "session/pdf_session.h"
#include "win/hooks_testing.h"
#include "win/module_handle.h"
#include "win/thread.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <stdexcept>

namespace {

using paginor::scripted::ScopedScriptableServer;
using paginor::scripted::Script;

// A bare object whose answer to QueryInterface a test chooses.
class FakeObject : public IUnknown {
public:
    HRESULT narrowingAnswer = S_OK; // for any interface but IUnknown
    ULONG references = 1;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (iid != IID_IUnknown && FAILED(narrowingAnswer)) {
            return narrowingAnswer;
        }
        *object = this;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
};

class SessionPlumbing : public ::testing::Test {
protected:
    void SetUp() override {
        CreateLastErrorRecord();
        ClearError();
    }
    void TearDown() override {
        PdfSession().ClosePDF();
        PdfSession().Reset();
        DestroyLastErrorRecord();
    }
    static const LastErrorRecord& Record() { return *CurrentLastErrorRecord(); }
    static std::u16string Detail() { return Record().detail.value_or(u"<none>"); }
};

TEST_F(SessionPlumbing, GuardedStepsRecordTheFirstFailureAndSkipTheRest) {
    struct Row {
        const char* name;
        std::function<void()> step;
        std::int32_t code;
        std::u16string detailStart;
        std::u16string detailEnd;
    };
    const Row rows[] = {
        {"automation failure", [] { RaiseComFailure(E_ACCESSDENIED); }, -999,
         u"Error:80070005 Description: ", u""},
        {"empty holder", [] { AutomationRef<IPDDocument>().Call(&IPDDocument::Close, nullptr); },
         -999, u"Error:80004003 Description: ", u""},
        {"standard exception", [] { throw std::runtime_error("boom"); }, -998,
         u"UNKNOWN EXCEPTION: FUNC:", u"\nOBJ: \nMSG: boom"},
        {"anything else", [] { throw 42; }, -998, u"UNKNOWN EXCEPTION: FUNC:", u"\nOBJ: \nMSG: "},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ClearError();
        GuardedSteps steps;
        bool laterStepRan = false;
        EXPECT_TRUE(steps.Run([] {}));
        EXPECT_FALSE(steps.Run(row.step));
        EXPECT_FALSE(steps.Run([&] { laterStepRan = true; }));
        EXPECT_TRUE(steps.Failed());
        EXPECT_FALSE(laterStepRan);
        EXPECT_EQ(Record().code, row.code);
        EXPECT_EQ(Record().nativeCode, 0u);
        EXPECT_TRUE(Detail().starts_with(row.detailStart));
        EXPECT_TRUE(Detail().ends_with(row.detailEnd));
    }
}

TEST_F(SessionPlumbing, NarrowingRefusedLeavesTheHolderEmpty) {
    FakeObject held;
    FakeObject refusing;
    refusing.narrowingAnswer = E_NOINTERFACE;
    AutomationRef<IViewerDocument> viewer;
    viewer.Narrow(&held);
    ASSERT_FALSE(viewer.IsEmpty());
    EXPECT_EQ(held.references, 2u);

    viewer.Narrow(&refusing);
    EXPECT_TRUE(viewer.IsEmpty());
    EXPECT_EQ(held.references, 1u);
    EXPECT_EQ(refusing.references, 1u);

    viewer.Narrow(&held);
    viewer.Narrow(nullptr);
    EXPECT_TRUE(viewer.IsEmpty());
    EXPECT_EQ(held.references, 1u);
}

TEST_F(SessionPlumbing, NarrowingFailingOtherwiseRaises) {
    FakeObject broken;
    broken.narrowingAnswer = E_UNEXPECTED;
    AutomationRef<IViewerDocument> viewer;
    try {
        viewer.Narrow(&broken);
        FAIL() << "no exception";
    } catch (const ComFailure& failure) {
        EXPECT_EQ(failure.Status(), E_UNEXPECTED);
        EXPECT_FALSE(failure.HasErrorInfo());
    }
    EXPECT_EQ(broken.references, 1u);
}

TEST_F(SessionPlumbing, CreateInstanceRunsTheObjectAndReportsEachStep) {
    ScopedScriptableServer server;
    struct Row {
        const char* name;
        std::function<void()> script;
        HRESULT status;
    };
    const Row rows[] = {
        {"created", [] {}, S_OK},
        {"factory fails", [] { Script().on("App.Create").fail(E_OUTOFMEMORY); }, E_OUTOFMEMORY},
        {"does not run", [] { Script().on("App.Run").fail(E_ABORT); }, E_ABORT},
        {"refuses its interface", [] { Script().on("App.Create").refuseNarrowing(); },
         E_NOINTERFACE},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Script().Reset();
        row.script();
        AutomationRef<IAutomationApp> application;
        EXPECT_EQ(CreateInstance(application, paginor::scripted::kClsidApp), row.status);
        EXPECT_EQ(application.IsEmpty(), FAILED(row.status));
        EXPECT_EQ(Script().CallCount("App.Run"), row.status == E_OUTOFMEMORY ? 0u : 1u);
        application.Clear();
        EXPECT_EQ(Script().LiveObjects(), 0);
    }
}

TEST_F(SessionPlumbing, CreationFailuresKeepTheStatusAsNativeCode) {
    const std::filesystem::path folder =
        std::filesystem::path(::testing::TempDir()) / "session_plumbing_native";
    std::filesystem::create_directories(folder);
    const std::string file = (folder / "a.pdf").string();
    std::ofstream(file) << "%PDF-1.4\n";
    const std::string withoutApplication = (folder / "no_app.txt").string();
    const std::string withoutDocument = (folder / "no_doc.txt").string();
    paginor::scripted::WriteRegistry(withoutApplication, {u"AcroExch.App"});
    paginor::scripted::WriteRegistry(withoutDocument, {u"AcroExch.PDDoc"});

    struct Row {
        const char* name;
        std::string registry;
        std::function<void()> script;
        std::u16string detail;
        HRESULT native;
    };
    const Row rows[] = {
        {"application class", withoutApplication, [] {}, u"Classid for AcroExch.App",
         CO_E_CLASSSTRING},
        {"application object", paginor::scripted::GeneratedRegistryPath(),
         [] { Script().on("App.Create").fail(CLASS_E_CLASSNOTAVAILABLE); }, u"AcroExch.App",
         CLASS_E_CLASSNOTAVAILABLE},
        {"document class", withoutDocument, [] {}, u"Classid for AcroExch.PDDoc", CO_E_CLASSSTRING},
        {"document object", paginor::scripted::GeneratedRegistryPath(),
         [] { Script().on("PDDoc.Run").fail(E_FAIL); }, u"AcroExch.PDoc", E_FAIL},
    };
    const std::u16string path(file.begin(), file.end());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        ScopedScriptableServer server(row.registry);
        row.script();
        EXPECT_EQ(PdfSession().OpenPDF(path), u"!!ERROR!!");
        EXPECT_EQ(Record().code, -200);
        EXPECT_EQ(Record().nativeCode, static_cast<std::uint32_t>(row.native));
        EXPECT_EQ(Detail(), row.detail);
        EXPECT_TRUE(PdfSession().Application().IsEmpty());
        EXPECT_TRUE(PdfSession().Document().IsEmpty());
    }
    std::filesystem::remove_all(folder);
}

TEST_F(SessionPlumbing, InputHooksLiveExactlyAsLongAsTheGuard) {
    const DWORD thread = GetCurrentThreadId();
    {
        InputBlockingHooks hooks;
        const auto installed = paginor::win::InstalledHooks(thread);
        ASSERT_EQ(installed.size(), 2u);
        EXPECT_EQ(installed[0].type, WH_KEYBOARD);
        EXPECT_EQ(installed[0].procedure, &BlockKeyboardInput);
        EXPECT_EQ(installed[0].module, GetModuleHandleW(u"KeyBoard"));
        EXPECT_EQ(installed[1].type, WH_MOUSE);
        EXPECT_EQ(installed[1].procedure, &BlockMouseInput);
        EXPECT_EQ(installed[1].module, PluginInstanceHandle());

        struct Row {
            int type;
            int code;
            LPARAM information;
            LRESULT answer;
        };
        const Row rows[] = {
            {WH_KEYBOARD, 0, 0, 0},          // passed on
            {WH_KEYBOARD, 3, 0, 1},          // discarded
            {WH_KEYBOARD, 3, 0x40000000, 1}, // discarded: only bit 31 lets it through
            {WH_KEYBOARD, 3, static_cast<LPARAM>(0x80000000u), 0},
            {WH_MOUSE, 0, 0, 0},
            {WH_MOUSE, 3, 0, 1},
        };
        for (const Row& row : rows) {
            EXPECT_EQ(
                paginor::win::DeliverHookEvent(thread, row.type, row.code, 0, row.information),
                row.answer)
                << row.type << "/" << row.code << "/" << row.information;
        }
    }
    EXPECT_EQ(paginor::win::InstalledHookCount(thread), 0u);
}

} // namespace
