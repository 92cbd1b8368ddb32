// The marshallers of the PDF application's interfaces: how each one crosses
// from the plug-in's process to the PDF engine's. The module that holds them
// (libpaginor_automation_proxies.so) is named for each interface in the
// registry, as a proxy/stub library is for a type library's interfaces.
#pragma once

#include "com/remoting/interface_marshaller.h"

namespace paginor::automation_proxies {

const remoting::InterfaceMarshaller& ApplicationMarshaller();
const remoting::InterfaceMarshaller& DocumentMarshaller();
const remoting::InterfaceMarshaller& ViewerMarshaller();
const remoting::InterfaceMarshaller& PageMarshaller();
const remoting::InterfaceMarshaller& TextSelectionMarshaller();
const remoting::InterfaceMarshaller& HighlightListMarshaller();
const remoting::InterfaceMarshaller& FormsMarshaller();
const remoting::InterfaceMarshaller& FieldsMarshaller();
const remoting::InterfaceMarshaller& FieldMarshaller();

// The label a proxy gives an object it received, for later descriptions.
void LabelObject(IUnknown* object, std::u16string label);

} // namespace paginor::automation_proxies
