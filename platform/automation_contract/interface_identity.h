// Maps each interface type to its interface identity, so that holders, calls
// and object bases can be typed by the interface alone. Client and servers
// share this one trait. It refers to the identity rather than copying it: on
// Windows the system's identities are link-time constants (libuuid), not
// compile-time ones.
#pragma once

#include "automation_contract/automation_interfaces.h"

template <typename Interface> struct InterfaceIdentity;

#define PAGINOR_INTERFACE_IDENTITY(Interface, Iid)                                                 \
    template <> struct InterfaceIdentity<Interface> { static constexpr const IID& value = Iid; };

PAGINOR_INTERFACE_IDENTITY(IUnknown, IID_IUnknown)
PAGINOR_INTERFACE_IDENTITY(IDispatch, IID_IDispatch)
PAGINOR_INTERFACE_IDENTITY(IEnumVARIANT, IID_IEnumVARIANT)
PAGINOR_INTERFACE_IDENTITY(IClassFactory, IID_IClassFactory)
PAGINOR_INTERFACE_IDENTITY(IErrorInfo, IID_IErrorInfo)
PAGINOR_INTERFACE_IDENTITY(ISupportErrorInfo, IID_ISupportErrorInfo)
PAGINOR_INTERFACE_IDENTITY(IAutomationApp, IID_IAutomationApp)
PAGINOR_INTERFACE_IDENTITY(IPDDocument, IID_IPDDocument)
PAGINOR_INTERFACE_IDENTITY(IViewerDocument, IID_IViewerDocument)
PAGINOR_INTERFACE_IDENTITY(IPDPage, IID_IPDPage)
PAGINOR_INTERFACE_IDENTITY(ITextSelection, IID_ITextSelection)
PAGINOR_INTERFACE_IDENTITY(IHighlightList, IID_IHighlightList)
PAGINOR_INTERFACE_IDENTITY(IFormsApp, IID_IFormsApp)
PAGINOR_INTERFACE_IDENTITY(IFormFields, IID_IFormFields)
PAGINOR_INTERFACE_IDENTITY(IFormField, IID_IFormField)

#undef PAGINOR_INTERFACE_IDENTITY
