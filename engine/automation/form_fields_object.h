// The forms object's field collection: every field of the form, terminal and
// non-terminal, in document order.
#pragma once

#include "engine/automation/com_object.h"

#include <memory>

namespace paginor::engine {

namespace forms {
class DocumentForm;
}

class FormFieldsObject final : public engine::ComObject<FormFieldsObject, IFormFields> {
public:
    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override;
    // An IEnumVARIANT whose elements are VT_DISPATCH field objects.
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** enumerator) override;

private:
    friend class engine::ComObject<FormFieldsObject, IFormFields>;
    explicit FormFieldsObject(std::shared_ptr<forms::DocumentForm> form) : form_(std::move(form)) {}

    std::shared_ptr<forms::DocumentForm> form_;
};

} // namespace paginor::engine
