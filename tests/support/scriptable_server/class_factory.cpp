// The exported class factory entry point, object construction by kind, and
// the registry helpers.
#include "scripted_objects.h"

#include "automation_contract/automation_interfaces.h"
#include "com/guid_text.h"
#include "text_encoding/utf_conversion.h"

#include <dlfcn.h>

#include <algorithm>
#include <fstream>

namespace paginor::scripted {

const CLSID kClsidApp = {
    0x5a7e0001, 0x7c3b, 0x4d2e, {0x9f, 0x10, 0x2b, 0x6a, 0x51, 0x0c, 0xe4, 0x01}};
const CLSID kClsidPDDoc = {
    0x5a7e0002, 0x7c3b, 0x4d2e, {0x9f, 0x10, 0x2b, 0x6a, 0x51, 0x0c, 0xe4, 0x01}};
const CLSID kClsidHiliteList = {
    0x5a7e0003, 0x7c3b, 0x4d2e, {0x9f, 0x10, 0x2b, 0x6a, 0x51, 0x0c, 0xe4, 0x01}};
const CLSID kClsidFormsApp = {
    0x5a7e0004, 0x7c3b, 0x4d2e, {0x9f, 0x10, 0x2b, 0x6a, 0x51, 0x0c, 0xe4, 0x01}};

namespace {

struct CreatableClass {
    const CLSID* clsid;
    const char16_t* progId;
    ObjectKind kind;
};

const CreatableClass kCreatableClasses[] = {
    {&kClsidApp, kProgIdApplication, ObjectKind::App},
    {&kClsidPDDoc, kProgIdPDDocument, ObjectKind::PDDoc},
    {&kClsidHiliteList, kProgIdHighlightList, ObjectKind::HiliteList},
    {&kClsidFormsApp, kProgIdFormsApp, ObjectKind::FormsApp},
};

// One static factory per class; factories do not count as live objects.
class ClassFactory final : public IClassFactory {
public:
    explicit ClassFactory(ObjectKind kind) : kind_(kind) {}

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (riid == IID_IUnknown || riid == IID_IClassFactory) {
            *object = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        *object = nullptr;
        if (outer != nullptr) {
            return CLASS_E_NOAGGREGATION;
        }
        std::size_t record = 0;
        const std::string operation = std::string(KindName(kind_)) + ".Create";
        const Behaviour b = BeginCall(kind_, 0, operation, {}, &record);
        if (b.kind == Behaviour::Kind::Fail) {
            return b.status;
        }
        if (b.kind == Behaviour::Kind::NoObject) {
            return S_OK;
        }
        ComPtr<IDispatch> created = MakeObject(kind_, b.kind == Behaviour::Kind::RefuseNarrowing);
        if (!created) {
            return E_OUTOFMEMORY;
        }
        NoteResultObject(record, dynamic_cast<ScriptedIdentity*>(created.get())->Id());
        return created->QueryInterface(riid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    ObjectKind kind_;
};

ClassFactory g_factories[] = {ClassFactory(ObjectKind::App), ClassFactory(ObjectKind::PDDoc),
                              ClassFactory(ObjectKind::HiliteList),
                              ClassFactory(ObjectKind::FormsApp)};

std::string OwnModulePath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&OwnModulePath), &info) != 0 &&
        info.dli_fname != nullptr) {
        return info.dli_fname;
    }
    return {};
}

} // namespace

ComPtr<IDispatch> MakeObject(ObjectKind kind, bool refuse) {
    if (ComPtr<IDispatch> object = MakeDocumentObject(kind, refuse)) {
        return object;
    }
    return MakeFormsObject(kind, refuse);
}

Argument ObjectArgument(IUnknown* object) {
    Argument a;
    a.type = Argument::Type::Object;
    if (const auto* identity = dynamic_cast<ScriptedIdentity*>(object)) {
        a.objectId = identity->Id();
    }
    return a;
}

std::string GeneratedRegistryPath() {
    return PAGINOR_SCRIPTABLE_REGISTRY;
}

void WriteRegistry(const std::string& path, const std::vector<std::u16string>& omitted) {
    std::ofstream file(path, std::ios::trunc);
    file << "# Scriptable test server\n";
    const std::string module = OwnModulePath();
    for (const auto& entry : kCreatableClasses) {
        const std::string clsid = FormatGuidUtf8(*entry.clsid);
        if (std::find(omitted.begin(), omitted.end(), entry.progId) == omitted.end()) {
            file << "progid " << Utf16ToUtf8(entry.progId) << " " << clsid << "\n";
        }
        file << "server " << clsid << " " << module << "\n";
    }
}

ScopedScriptableServer::ScopedScriptableServer(std::string registryPath)
    : override_(std::move(registryPath)) {
    Script().Reset();
}

ScopedScriptableServer::~ScopedScriptableServer() {
    Script().Reset();
}

} // namespace paginor::scripted

extern "C" __attribute__((visibility("default"))) HRESULT
DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    using namespace paginor::scripted;
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    for (std::size_t i = 0; i < std::size(kCreatableClasses); ++i) {
        if (*kCreatableClasses[i].clsid == clsid) {
            return g_factories[i].QueryInterface(riid, object);
        }
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}
