// Walks a form's fields in document order, handing out one field object per
// element as a VT_DISPATCH variant.
#pragma once

#include "engine/automation/com_object.h"

#include <cstddef>
#include <memory>

namespace paginor::engine {

namespace forms {
class DocumentForm;
}

class FieldEnumeratorObject final : public engine::ComObject<FieldEnumeratorObject, IEnumVARIANT> {
public:
    // S_OK when all `count` elements came back, S_FALSE when fewer remained.
    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* elements, ULONG* fetched) override;
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
    HRESULT STDMETHODCALLTYPE Reset() override;
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override;

private:
    friend class engine::ComObject<FieldEnumeratorObject, IEnumVARIANT>;
    FieldEnumeratorObject(std::shared_ptr<forms::DocumentForm> form, std::size_t position)
        : form_(std::move(form)), position_(position) {}

    std::shared_ptr<forms::DocumentForm> form_;
    std::size_t position_;
};

} // namespace paginor::engine
