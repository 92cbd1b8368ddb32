// The module's only exported symbol: the runtime asks it for class factories.
#include "engine/automation/class_table.h"

extern "C" __attribute__((visibility("default"))) HRESULT
DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    return paginor::engine::getEngineClassObject(clsid, riid, object);
}
