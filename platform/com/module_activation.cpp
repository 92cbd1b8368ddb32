#include "com/module_activation.h"

#include "com/com_ptr.h"

#include <dlfcn.h>

#include <map>
#include <mutex>

namespace paginor {

namespace {

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

HRESULT CreateFromModule(const std::string& modulePath, REFCLSID clsid, IUnknown* outer,
                         REFIID riid, void** object) {
    *object = nullptr;
    void* module = LoadServerModule(modulePath);
    if (module == nullptr) {
        return CO_E_DLLNOTFOUND;
    }
    const auto getClassObject =
        reinterpret_cast<DllGetClassObjectFunction>(dlsym(module, "DllGetClassObject"));
    if (getClassObject == nullptr) {
        return CO_E_ERRORINDLL;
    }
    return CreateFromClassObject(getClassObject, clsid, outer, riid, object);
}

HRESULT CreateFromClassObject(DllGetClassObjectFunction getClassObject, REFCLSID clsid,
                              IUnknown* outer, REFIID riid, void** object) {
    *object = nullptr;
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    ComPtr<IClassFactory> factory;
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

} // namespace paginor
