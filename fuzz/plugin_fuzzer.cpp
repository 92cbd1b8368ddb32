// Drives the plug-in through the host API against the scriptable automation
// server: each input is a program of function calls with odd parameters,
// interleaved with scripted failures of the server (false answers, failing
// HRESULTs with and without error information, missing objects, refused
// interfaces), odd field lists, text items and document information.
//
// After every call it checks what a database user relies on: the host is told
// 0, the input hooks are gone, and the result agrees with the last-error
// record ("!!ERROR!!" has a non-zero code, anything else code 0). The
// answers that look like exceptions are not: "0" for a field name that is
// not in the form, an empty text when no fields collection can be had and
// "-3" from the folder picker all come with a cleared record, and every
// refusal by the server (open, save, show, insert, information write)
// records its own code. QELT_GetLastError reads the record without clearing
// it and is only checked for never failing. After every
// input the session is closed with a well-behaved server, and no server
// object may still be alive.
#include "plugin_host.h"
#include "scriptable_server.h"
#include "win/dialog_requests.h"
#include "win/hooks_testing.h"
#include "win/thread.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <unistd.h>

#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using paginor::scripted::Behaviour;
using paginor::scripted::ElementKind;
using paginor::scripted::FieldSpec;
using paginor::scripted::ObjectKind;
using paginor::scripted::Script;
using plugin_host::Param;

const std::u16string kError = u"!!ERROR!!";

const std::vector<std::string> kFunctions = {
    "QELT_Version",
    "QELT_OpenPDF",
    "QELT_SetPDFFieldValue",
    "QELT_GetPDFFieldValue",
    "QELT_ClosePDF",
    "QELT_PrintPDF",
    "QELT_GetPDFInfo",
    "QELT_AppendPDF",
    "QELT_DeletePDF",
    "QELT_GetNumPages",
    "QELT_GetTextLengthFromPage",
    "QELT_GetTextFromPage",
    "QELT_SaveAsPDF",
    "QELT_GetLastError",
    "QELT_SetPDFInfo",
    "QELT_SavePDF",
    "QELT_GetFieldNames",
    "QELT_DeletePages",
    "QELT_CloseAcrobat",
    "QELT_ShowAcrobat",
    "QELT_HideAcrobat",
    "QELT_FileBrowse",
    "QELT_FolderBrowse",
    "QELT_InsertPages",
};

const std::vector<double> kNumbers = {
    INT_MIN, -2, -1, 0, 1, 2, 3, 7, INT_MAX, 1e10, -1e10, 0.5, 1e300, -1e300, NAN, INFINITY,
};

const std::vector<HRESULT> kStatuses = {
    E_FAIL,          E_ACCESSDENIED, E_OUTOFMEMORY,       E_INVALIDARG,
    E_NOINTERFACE,   E_POINTER,      REGDB_E_CLASSNOTREG, static_cast<HRESULT>(0x800706BA),
    1 /* S_FALSE */,
};

const std::vector<ObjectKind> kKinds = {
    ObjectKind::App,           ObjectKind::PDDoc,      ObjectKind::Viewer,   ObjectKind::Page,
    ObjectKind::TextSelection, ObjectKind::HiliteList, ObjectKind::FormsApp, ObjectKind::Fields,
    ObjectKind::FieldEnum,     ObjectKind::Field,
};

// A private folder with a file the plug-in may open, append or delete.
struct Workspace {
    Workspace() {
        folder = fs::temp_directory_path() / ("paginor_plugin_fuzz_" + std::to_string(::getpid()));
        fs::create_directories(folder);
        file = (folder / "form.pdf").string();
        other = (folder / "other.pdf").string();
    }
    ~Workspace() {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
    void Refresh() const {
        std::ofstream(file) << "%PDF-1.4\n";
        std::ofstream(other) << "%PDF-1.4\n";
    }
    fs::path folder;
    std::string file;
    std::string other;
};

// Results that are data, not status, must not be the error marker, or the
// agreement check would see a failure that is not one.
std::u16string NotTheMarker(std::u16string text) {
    for (std::size_t at; (at = text.find(kError)) != std::u16string::npos;)
        text.erase(at, 1);
    return text;
}

class ProgramReader {
public:
    ProgramReader(FuzzedDataProvider& in, const Workspace& ws) : in_(in), ws_(ws) {}

    std::u16string Text() {
        switch (in_.ConsumeIntegralInRange(0, 15)) {
        case 0:
            return plugin_host::Utf16(ws_.file);
        case 1:
            return plugin_host::Utf16(ws_.other);
        case 2:
            return plugin_host::Utf16((ws_.folder / "missing.pdf").string());
        case 3:
            return plugin_host::Utf16(ws_.folder.string());
        case 4:
            return {};
        case 5:
            return Pick<std::u16string>({u"yes", u"no", u"Yes", u"NO", u"maybe", u"1", u"0"});
        case 6:
            return Pick<std::u16string>({u"Title", u"Author", u"Subject", u"Keywords", u"Creator",
                                         u"Producer", u"Trapped", u"CreationDate", u"ModDate",
                                         u"title", u"Bogus"});
        case 7:
            return Pick<std::u16string>({u"Name", u"name", u"Check", u"Parent.Kid", u"Radio"});
        case 8:
            return Pick<std::u16string>({u"LONG", u"Number", u"number"});
        case 9:
            return plugin_host::Utf16(ws_.file + "\r" + ws_.other + "\r\r");
        case 10:
            return std::u16string(u"a\0b\rc\nd", 7);
        case 11:
            return std::u16string(1, static_cast<char16_t>(0xD800)) + u"x" +
                   std::u16string(1, static_cast<char16_t>(0xDFFF));
        case 12:
            return Pick<std::u16string>(
                {u"D:20240229123456+01'00'", u"D:2024", u"D:", u"D", u"D:99999999999999"});
        default: {
            const std::string raw = in_.ConsumeRandomLengthString(48);
            std::u16string text;
            for (std::size_t i = 0; i + 1 < raw.size(); i += 2)
                text.push_back(
                    static_cast<char16_t>(static_cast<unsigned char>(raw[i]) |
                                          (static_cast<unsigned char>(raw[i + 1]) << 8)));
            return NotTheMarker(text);
        }
        }
    }

    Param Parameter() {
        if (in_.ConsumeBool())
            return Param(Pick(kNumbers));
        return Param(Text());
    }

    template <class T> T Pick(const std::vector<T>& values) {
        return values[in_.ConsumeIntegralInRange<std::size_t>(0, values.size() - 1)];
    }

    void Misbehave() {
        const auto& operations = paginor::scripted::KnownOperations();
        const std::string operation = Pick(operations);
        Behaviour& b = in_.ConsumeBool()
                           ? Script().on(operation)
                           : Script().onCall(operation, in_.ConsumeIntegralInRange(1, 4));
        switch (in_.ConsumeIntegralInRange(0, 8)) {
        case 0:
            b.answerFalse();
            break;
        case 1:
            b.answer(true);
            break;
        case 2:
            b.answer(static_cast<LONG>(Pick(std::vector<long>{INT_MIN, -1, 0, 1, 2, 5, INT_MAX})));
            break;
        case 3:
            b.answer(NotTheMarker(Text()));
            break;
        case 4:
            b.fail(Pick(kStatuses), in_.ConsumeBool());
            break;
        case 5:
            b.failWithInfo(Pick(kStatuses), Text(), in_.ConsumeBool());
            break;
        case 6:
            b.noObject();
            break;
        case 7:
            b.refuseNarrowing();
            break;
        default:
            b.answerObject(Pick(kKinds));
            break;
        }
    }

    void Fields() {
        std::vector<FieldSpec> fields(in_.ConsumeIntegralInRange(0, 5));
        for (auto& f : fields) {
            f.name = Text();
            f.value = NotTheMarker(Text());
            f.keep = in_.ConsumeBool();
            f.skip = in_.ConsumeBool();
            f.element = Pick(std::vector<ElementKind>{ElementKind::Dispatch, ElementKind::Dispatch,
                                                      ElementKind::NonObject,
                                                      ElementKind::RefusesFormField});
            f.type =
                Pick<std::u16string>({u"text", u"checkbox", u"radiobutton", u"signature", u""});
        }
        Script().SetFields(std::move(fields));
    }

    void TextItems() {
        std::vector<std::u16string> items(in_.ConsumeIntegralInRange(0, 4));
        for (auto& item : items)
            item = NotTheMarker(Text());
        Script().SetTextItems(items);
    }

    void DocInfo() { Script().SetDocInfo(Text(), NotTheMarker(Text())); }

private:
    FuzzedDataProvider& in_;
    const Workspace& ws_;
};

[[noreturn]] void Fail(const std::string& function, const std::u16string& result,
                       const std::string& why, plugin_host::PluginHost& host) {
    std::fprintf(stderr, "\n*** %s -> \"%s\": %s (last error %g \"%s\")\n", function.c_str(),
                 plugin_host::Utf8(result).c_str(), why.c_str(), host.LastErrorNumber(),
                 plugin_host::Utf8(host.LastErrorText()).c_str());
    for (const auto& call : Script().Calls())
        std::fprintf(stderr, "    %s\n", call.Describe().c_str());
    std::abort();
}

plugin_host::CallResult CallWith(plugin_host::PluginHost& host, const std::string& name,
                                 const std::vector<Param>& p) {
    switch (p.size()) {
    case 0:
        return host.Call(name);
    case 1:
        return host.Call(name, {p[0]});
    case 2:
        return host.Call(name, {p[0], p[1]});
    case 3:
        return host.Call(name, {p[0], p[1], p[2]});
    case 4:
        return host.Call(name, {p[0], p[1], p[2], p[3]});
    default:
        return host.Call(name, {p[0], p[1], p[2], p[3], p[4]});
    }
}

void CheckedCall(plugin_host::PluginHost& host, const std::string& name,
                 const std::vector<Param>& params) {
    const plugin_host::CallResult r = CallWith(host, name, params);
    if (!r.admitted)
        return; // the host refused the parameter count; the plug-in never ran
    if (r.hostError != 0)
        Fail(name, r.text, "the host was told " + std::to_string(r.hostError), host);
    if (paginor::win::InstalledHookCount(GetCurrentThreadId()) != 0)
        Fail(name, r.text, "input hooks left installed", host);
    if (name == "QELT_GetLastError") {
        if (r.text == kError)
            Fail(name, r.text, "the last-error function failed", host);
        return;
    }
    const double code = host.LastErrorNumber();
    if (r.text == kError && code == 0)
        Fail(name, r.text, "failure without a recorded code", host);
    if (r.text != kError && code != 0)
        Fail(name, r.text, "a code recorded for a success", host);
}

Workspace& TheWorkspace() {
    static Workspace workspace;
    return workspace;
}

struct Harness {
    Harness() {
        server = std::make_unique<paginor::scripted::ScopedScriptableServer>();
        host = std::make_unique<plugin_host::PluginHost>();
        if (!host->Loaded() || host->Init() != 53) {
            std::fprintf(stderr, "cannot load the plug-in: %s\n", host->LoadError().c_str());
            std::abort();
        }
    }
    // The folder goes away at exit; the host stays loaded to the end.
    Workspace& workspace = TheWorkspace();
    std::unique_ptr<paginor::scripted::ScopedScriptableServer> server;
    std::unique_ptr<plugin_host::PluginHost> host;
    std::u16string dialogAnswer;
    bool dialogCancels = false;
};

Harness& TheHarness() {
    static Harness* harness = new Harness; // lives as long as the process
    return *harness;
}

// A well-behaved server lets the session close everything it holds.
void CloseSession(Harness& h) {
    Script().Reset();
    CheckedCall(*h.host, "QELT_ClosePDF", {});
    CheckedCall(*h.host, "QELT_CloseAcrobat", {});
    if (Script().LiveObjects() != 0)
        Fail("(end of input)", u"",
             std::to_string(Script().LiveObjects()) + " server objects still alive after closing",
             *h.host);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    Harness& h = TheHarness();
    paginor::win::SetScriptedDialogResponder(
        [&h](const paginor::win::DialogRequest&) -> paginor::win::DialogAnswer {
            if (h.dialogCancels)
                return std::nullopt;
            return h.dialogAnswer;
        });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Harness& h = TheHarness();
    CloseSession(h);
    h.workspace.Refresh();
    FuzzedDataProvider in(data, size);
    ProgramReader read(in, h.workspace);

    for (int step = 0; step < 64 && in.remaining_bytes() > 0; ++step) {
        switch (in.ConsumeIntegralInRange(0, 9)) {
        case 0:
        case 1:
            read.Misbehave();
            break;
        case 2:
            read.Fields();
            break;
        case 3:
            read.TextItems();
            break;
        case 4:
            read.DocInfo();
            break;
        case 5:
            h.dialogCancels = in.ConsumeBool();
            h.dialogAnswer = NotTheMarker(read.Text());
            break;
        default: {
            const std::string name = read.Pick(kFunctions);
            std::vector<Param> params;
            const int count = in.ConsumeIntegralInRange(0, 5);
            for (int i = 0; i < count; ++i)
                params.push_back(read.Parameter());
            CheckedCall(*h.host, name, params);
            break;
        }
        }
    }
    CloseSession(h);
    return 0;
}
