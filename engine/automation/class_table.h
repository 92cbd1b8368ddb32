// The classes this module serves and the lookup behind its exported
// DllGetClassObject. The table itself lives in class_table.cpp.
#pragma once

#include "com/com.h"
#include "engine/automation/class_factory.h"

#include <span>

namespace paginor::engine {

struct EngineClass {
    const CLSID* clsid;
    const char16_t* progId;
    InstanceCreator create;
};

std::span<const EngineClass> engineClasses();

// Answers a class factory for `clsid` (CLASS_E_CLASSNOTAVAILABLE for a class
// this module does not serve).
HRESULT getEngineClassObject(REFCLSID clsid, REFIID riid, void** object) noexcept;

} // namespace paginor::engine
