#include "engine/automation/forms_application_object.h"

#include "engine/automation/active_document.h"
#include "engine/automation/form_fields_object.h"
#include "engine/forms/document_form.h"

namespace paginor::engine {

HRESULT FormsApplicationObject::get_Fields(IDispatch** fields) {
    return run([&] {
        if (fields == nullptr) {
            engine::failCall(E_POINTER, "A result pointer is null");
        }
        *fields = nullptr;
        std::shared_ptr<EngineDocument> document = engine::activeDocument();
        if (!document) {
            engine::failCall(E_UNEXPECTED,
                             "No document is open in the viewer: the forms object works on "
                             "the document opened in the viewer last");
        }
        auto form = std::make_shared<forms::DocumentForm>(std::move(document));
        form->tree(); // a damaged form fails here, not on the first field
        *fields = static_cast<IFormFields*>(FormFieldsObject::create(std::move(form)).detach());
        return S_OK;
    });
}

HRESULT createFormsApplication(REFIID riid, void** object) {
    if (object == nullptr) {
        return E_POINTER;
    }
    *object = nullptr;
    return guardedCall(IID_IFormsApp, [&] {
        ComPtr<FormsApplicationObject> application = FormsApplicationObject::create();
        return application->QueryInterface(riid, object);
    });
}

} // namespace paginor::engine
