// Finding the marshaller of an interface: the runtime's built-in ones
// (IEnumVARIANT, IRunnableObject), then the module the registry names for
// the interface. Modules stay loaded; a marshaller once found is kept.
#pragma once

#include "com/com.h"
#include "com/remoting/interface_marshaller.h"

#include <vector>

namespace paginor::remoting {

// Null when no marshaller is known for the interface.
const InterfaceMarshaller* FindMarshaller(REFIID iid);

// Every marshaller the active registry makes known, built-in ones first: the
// interfaces a server lists for each object it hands out.
std::vector<const InterfaceMarshaller*> KnownMarshallers();

// The built-in ones (defined beside their interfaces' proxies).
const InterfaceMarshaller& EnumVariantMarshaller();
const InterfaceMarshaller& RunnableObjectMarshaller();

} // namespace paginor::remoting
