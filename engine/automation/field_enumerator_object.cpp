#include "engine/automation/field_enumerator_object.h"

#include "engine/automation/form_field_object.h"
#include "engine/forms/document_form.h"

namespace paginor::engine {

HRESULT FieldEnumeratorObject::Next(ULONG count, VARIANT* elements, ULONG* fetched) {
    return run([&] {
        if (fetched != nullptr) {
            *fetched = 0;
        }
        if (count > 0 && elements == nullptr) {
            engine::failCall(E_POINTER, "The element array is null");
        }
        if (count > 1 && fetched == nullptr) {
            engine::failCall(E_POINTER, "Fetching several elements needs a count pointer");
        }
        const auto& fields = form_->tree().fields();
        const std::uint64_t generation = form_->generation();
        ULONG done = 0;
        for (; done < count && position_ < fields.size(); ++done, ++position_) {
            VariantInit(&elements[done]);
            elements[done].vt = VT_DISPATCH;
            elements[done].pdispVal = static_cast<IFormField*>(
                FormFieldObject::create(form_, position_, fields[position_].fullName, generation)
                    .detach());
        }
        if (fetched != nullptr) {
            *fetched = done;
        }
        return done == count ? S_OK : S_FALSE;
    });
}

HRESULT FieldEnumeratorObject::Skip(ULONG count) {
    return run([&] {
        const std::size_t size = form_->tree().fields().size();
        const std::size_t left = size > position_ ? size - position_ : 0;
        position_ += std::min<std::size_t>(count, left);
        return count <= left ? S_OK : S_FALSE;
    });
}

HRESULT FieldEnumeratorObject::Reset() {
    return run([&] {
        position_ = 0;
        return S_OK;
    });
}

HRESULT FieldEnumeratorObject::Clone(IEnumVARIANT** copy) {
    return run([&] {
        if (copy == nullptr) {
            engine::failCall(E_POINTER, "A result pointer is null");
        }
        *copy = FieldEnumeratorObject::create(form_, position_).detach();
        return S_OK;
    });
}

} // namespace paginor::engine
