// Object creation. A class is served in-process when the context allows it
// and the registry names a module for it; otherwise by a local server when
// the context allows that and the registry names one (the object is then a
// proxy, see remoting/). So, as on the platform, a context that allows both
// gets the in-process server whenever one is registered.
#include "com/com.h"
#include "com/com_registry.h"
#include "com/module_activation.h"
#include "com/remoting/local_activation.h"

extern "C" HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid,
                                    void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if ((context & CLSCTX_INPROC_SERVER) != 0) {
        if (const auto modulePath = paginor::LookUpServerModule(clsid)) {
            return paginor::CreateFromModule(*modulePath, clsid, outer, riid, object);
        }
    }
    if ((context & CLSCTX_LOCAL_SERVER) != 0) {
        if (const auto server = paginor::LookUpLocalServer(clsid)) {
            if (outer != nullptr) {
                return CLASS_E_NOAGGREGATION;
            }
            return paginor::remoting::CreateLocalInstance(*server, clsid, riid, object);
        }
    }
    return REGDB_E_CLASSNOTREG;
}
