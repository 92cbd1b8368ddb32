// Creating an object from an in-process server module: load the module
// (once; modules stay loaded, since their objects may outlive any call), ask
// its DllGetClassObject for the class factory and the factory for the object.
// CoCreateInstance uses it for in-process servers, and the surrogate server
// for the module it serves.
#pragma once

#include "com/com.h"

#include <string>

namespace paginor {

// The factory of `getClassObject` for `clsid`, then the object from it:
// CLASS_E_NOAGGREGATION for an outer object, otherwise what they answer.
HRESULT CreateFromClassObject(DllGetClassObjectFunction getClassObject, REFCLSID clsid,
                              IUnknown* outer, REFIID riid, void** object);

// CO_E_DLLNOTFOUND when the module does not load, CO_E_ERRORINDLL when it
// exports no DllGetClassObject, CLASS_E_NOAGGREGATION for an outer object,
// otherwise what the module answers.
HRESULT CreateFromModule(const std::string& modulePath, REFCLSID clsid, IUnknown* outer,
                         REFIID riid, void** object);

} // namespace paginor
