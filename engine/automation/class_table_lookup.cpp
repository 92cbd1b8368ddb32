#include "engine/automation/class_table.h"

namespace paginor::engine {

HRESULT getEngineClassObject(REFCLSID clsid, REFIID riid, void** object) noexcept {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    try {
        for (const EngineClass& entry : engineClasses()) {
            if (*entry.clsid == clsid) {
                return ClassFactory::create(entry.create)->QueryInterface(riid, object);
            }
        }
        return CLASS_E_CLASSNOTAVAILABLE;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

} // namespace paginor::engine
