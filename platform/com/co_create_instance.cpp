// Object creation: registry -> server module -> class factory -> object.
// Every server here is a shared library, so requests for a local server are
// served by loading the module in-process as well.
#include "com/com.h"
#include "com/com_ptr.h"
#include "com/com_registry.h"

#include <dlfcn.h>

#include <map>
#include <mutex>
#include <string>

namespace {

constexpr DWORD kServedContexts = CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER;

// Modules stay loaded for the life of the process: objects they created may
// outlive any one creation call, so unloading is never safe.
std::mutex g_modulesMutex;
std::map<std::string, void*> g_loadedModules;

void* LoadServerModule(const std::string& path) {
    std::lock_guard lock(g_modulesMutex);
    if (const auto found = g_loadedModules.find(path); found != g_loadedModules.end()) {
        return found->second;
    }
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle != nullptr) {
        g_loadedModules.emplace(path, handle);
    }
    return handle;
}

} // namespace

extern "C" HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid,
                                    void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if ((context & kServedContexts) == 0) {
        return REGDB_E_CLASSNOTREG;
    }
    const auto modulePath = paginor::LookUpServerModule(clsid);
    if (!modulePath) {
        return REGDB_E_CLASSNOTREG;
    }
    void* module = LoadServerModule(*modulePath);
    if (module == nullptr) {
        return CO_E_DLLNOTFOUND;
    }
    const auto getClassObject =
        reinterpret_cast<DllGetClassObjectFunction>(dlsym(module, "DllGetClassObject"));
    if (getClassObject == nullptr) {
        return CO_E_ERRORINDLL;
    }
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    paginor::ComPtr<IClassFactory> factory;
    const HRESULT found = getClassObject(clsid, IID_IClassFactory, factory.put_void());
    if (FAILED(found)) {
        return found;
    }
    if (!factory) {
        return E_UNEXPECTED;
    }
    const HRESULT created = factory->CreateInstance(nullptr, riid, object);
    if (FAILED(created)) {
        *object = nullptr;
    }
    return created;
}
