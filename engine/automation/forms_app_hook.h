// Where the forms part plugs its "AFormAut.App" class into the module: it
// defines this function (a strong definition replaces the weak default,
// which fails with CLASS_E_CLASSNOTAVAILABLE). The class table calls it for
// CLSID_EngineFormsApplication.
#pragma once

#include "com/com.h"

namespace paginor::engine {

// Creates a forms object and answers interface `riid` of it.
HRESULT createFormsApplication(REFIID riid, void** object);

} // namespace paginor::engine
