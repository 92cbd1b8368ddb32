// Maps each interface type the engine implements to its identity, so the
// object base can answer QueryInterface from its list of interface types.
#pragma once

#include "com/com.h"
#include "session/automation_interfaces.h"

namespace paginor::engine {

template <typename Interface> struct InterfaceId;

#define PAGINOR_ENGINE_INTERFACE_ID(Interface, iid)                                                \
    template <> struct InterfaceId<Interface> { static constexpr const IID& value = iid; };

PAGINOR_ENGINE_INTERFACE_ID(IAutomationApp, IID_IAutomationApp)
PAGINOR_ENGINE_INTERFACE_ID(IPDDocument, IID_IPDDocument)
PAGINOR_ENGINE_INTERFACE_ID(IViewerDocument, IID_IViewerDocument)
PAGINOR_ENGINE_INTERFACE_ID(IPDPage, IID_IPDPage)
PAGINOR_ENGINE_INTERFACE_ID(ITextSelection, IID_ITextSelection)
PAGINOR_ENGINE_INTERFACE_ID(IHighlightList, IID_IHighlightList)
PAGINOR_ENGINE_INTERFACE_ID(IFormsApp, IID_IFormsApp)
PAGINOR_ENGINE_INTERFACE_ID(IFormFields, IID_IFormFields)
PAGINOR_ENGINE_INTERFACE_ID(IFormField, IID_IFormField)
PAGINOR_ENGINE_INTERFACE_ID(IEnumVARIANT, IID_IEnumVARIANT)
PAGINOR_ENGINE_INTERFACE_ID(IClassFactory, IID_IClassFactory)

#undef PAGINOR_ENGINE_INTERFACE_ID

} // namespace paginor::engine
