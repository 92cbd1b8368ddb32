#include "engine/automation/class_factory.h"

namespace paginor::engine {

HRESULT ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    if (outer != nullptr) {
        return CLASS_E_NOAGGREGATION;
    }
    return creator_(riid, object);
}

HRESULT ClassFactory::LockServer(BOOL) {
    return S_OK; // the module is never unloaded
}

} // namespace paginor::engine
