// The module's export: the runtime asks it for the marshaller of an
// interface the registry names this module for.
#include "contract_marshallers.h"

#include "com/remoting/remote_object.h"

namespace paginor::automation_proxies {

void LabelObject(IUnknown* object, std::u16string label) {
    if (remoting::RemoteObject* remote = remoting::RemoteObject::Behind(object)) {
        remote->SetLabel(std::move(label));
    }
}

} // namespace paginor::automation_proxies

extern "C" __attribute__((visibility("default"))) const paginor::remoting::InterfaceMarshaller*
DllGetInterfaceMarshaller(REFIID iid) {
    using namespace paginor::automation_proxies;
    for (const paginor::remoting::InterfaceMarshaller* marshaller :
         {&ApplicationMarshaller(), &DocumentMarshaller(), &ViewerMarshaller(), &PageMarshaller(),
          &TextSelectionMarshaller(), &HighlightListMarshaller(), &FormsMarshaller(),
          &FieldsMarshaller(), &FieldMarshaller()}) {
        if (marshaller->Iid() == iid) {
            return marshaller;
        }
    }
    return nullptr;
}
