#include "engine/automation/form_field_object.h"

#include "engine/automation/bstr_text.h"
#include "engine/forms/document_form.h"

namespace paginor::engine {

using forms::carriesNoUserValue;
using forms::FieldKind;
using forms::fieldTypeName;
using forms::WriteResult;

namespace {

template <typename T> T* checked(T* pointer) {
    if (pointer == nullptr) {
        engine::failCall(E_POINTER, "A result pointer is null");
    }
    return pointer;
}

} // namespace

std::size_t FormFieldObject::currentIndex() {
    form_->tree();
    if (form_->generation() == generation_) {
        return index_;
    }
    std::optional<std::size_t> found = form_->locate(name_, index_);
    if (!found) {
        engine::failCall(E_FAIL, "The field \"" + name_ + "\" is no longer in the document's form");
    }
    index_ = *found;
    generation_ = form_->generation();
    return index_;
}

HRESULT FormFieldObject::get_Name(BSTR* name) {
    return run([&] {
        *checked(name) = nullptr;
        *name = engine::bstrFromUtf8(name_);
        return S_OK;
    });
}

HRESULT FormFieldObject::get_Value(BSTR* value) {
    return run([&] {
        *checked(value) = nullptr;
        *value = engine::bstrFromUtf8(form_->read(currentIndex()));
        return S_OK;
    });
}

HRESULT FormFieldObject::put_Value(BSTR value) {
    return run([&] {
        const WriteResult result = form_->write(currentIndex(), engine::utf8FromBstr(value));
        if (!result.ok) {
            engine::failCall(E_INVALIDARG, result.description);
        }
        return S_OK;
    });
}

HRESULT FormFieldObject::get_IsTerminal(VARIANT_BOOL* keep) {
    return run([&] {
        *checked(keep) =
            form_->tree().fields().at(currentIndex()).terminal ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}

HRESULT FormFieldObject::get_Type(BSTR* type) {
    return run([&] {
        *checked(type) = nullptr;
        *type = engine::bstrFromUtf8(fieldTypeName(form_->tree().fields().at(currentIndex()).kind));
        return S_OK;
    });
}

HRESULT FormFieldObject::get_IsNotUserValue(VARIANT_BOOL* skip) {
    return run([&] {
        const FieldKind kind = form_->tree().fields().at(currentIndex()).kind;
        *checked(skip) = carriesNoUserValue(kind) ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    });
}

} // namespace paginor::engine
