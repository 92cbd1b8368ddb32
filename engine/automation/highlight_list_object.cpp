#include "engine/automation/highlight_list_object.h"

namespace paginor::engine {

HighlightListObject* HighlightListObject::fromDispatch(IUnknown* object) {
    if (object == nullptr) {
        return nullptr;
    }
    ComPtr<IHighlightList> list;
    if (FAILED(object->QueryInterface(IID_IHighlightList, list.put_void()))) {
        return nullptr;
    }
    return dynamic_cast<HighlightListObject*>(list.get());
}

HRESULT HighlightListObject::Add(SHORT offset, SHORT length, VARIANT_BOOL* result) {
    return run([&] {
        if (result == nullptr) {
            failCall(E_POINTER, "A result pointer is null");
        }
        ranges_.push_back({static_cast<std::uint16_t>(offset), static_cast<std::uint16_t>(length)});
        *result = VARIANT_TRUE;
        return S_OK;
    });
}

} // namespace paginor::engine
