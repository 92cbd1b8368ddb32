#include "engine/automation/form_fields_object.h"

#include "engine/automation/field_enumerator_object.h"
#include "engine/forms/document_form.h"

namespace paginor::engine {

HRESULT FormFieldsObject::get_Count(LONG* count) {
    return run([&] {
        if (count == nullptr) {
            engine::failCall(E_POINTER, "A result pointer is null");
        }
        *count = static_cast<LONG>(form_->tree().fields().size());
        return S_OK;
    });
}

HRESULT FormFieldsObject::get__NewEnum(IUnknown** enumerator) {
    return run([&] {
        if (enumerator == nullptr) {
            engine::failCall(E_POINTER, "A result pointer is null");
        }
        *enumerator = static_cast<IEnumVARIANT*>(FieldEnumeratorObject::create(form_, 0).detach());
        return S_OK;
    });
}

} // namespace paginor::engine
