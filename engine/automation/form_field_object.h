// One form field as the enumerator hands it out. It names its field by its
// fully qualified name; should the document's form be rebuilt (pages added
// or removed), it finds the field again by that name.
#pragma once

#include "engine/automation/com_object.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

namespace paginor::engine {

namespace forms {
class DocumentForm;
}

class FormFieldObject final : public engine::ComObject<FormFieldObject, IFormField> {
public:
    HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override;
    HRESULT STDMETHODCALLTYPE get_Value(BSTR* value) override;
    // A value the field does not accept fails with E_INVALIDARG and a
    // description of what it accepts; the field is left as it was.
    HRESULT STDMETHODCALLTYPE put_Value(BSTR value) override;
    HRESULT STDMETHODCALLTYPE get_IsTerminal(VARIANT_BOOL* keep) override;
    HRESULT STDMETHODCALLTYPE get_Type(BSTR* type) override;
    HRESULT STDMETHODCALLTYPE get_IsNotUserValue(VARIANT_BOOL* skip) override;

private:
    friend class engine::ComObject<FormFieldObject, IFormField>;
    FormFieldObject(std::shared_ptr<forms::DocumentForm> form, std::size_t index, std::string name,
                    std::uint64_t generation)
        : form_(std::move(form)), index_(index), name_(std::move(name)), generation_(generation) {}

    // The field's index in the current tree; fails when it is gone.
    std::size_t currentIndex();

    std::shared_ptr<forms::DocumentForm> form_;
    std::size_t index_;
    std::string name_; // UTF-8
    std::uint64_t generation_;
};

} // namespace paginor::engine
