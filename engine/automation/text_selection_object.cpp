#include "engine/automation/text_selection_object.h"

#include <algorithm>
#include <string>

namespace paginor::engine {

using engine::failCall;

HRESULT TextSelectionObject::GetNumText(LONG* count) {
    return run([&] {
        if (count == nullptr)
            failCall(E_POINTER, "A result pointer is null");
        *count = static_cast<LONG>(words_.size());
        return S_OK;
    });
}

HRESULT TextSelectionObject::GetText(LONG index, BSTR* text) {
    return run([&] {
        if (text == nullptr)
            failCall(E_POINTER, "A result pointer is null");
        *text = nullptr;
        if (index < 0 || static_cast<std::size_t>(index) >= words_.size())
            failCall(DISP_E_BADINDEX, "Text item " + std::to_string(index) +
                                          " is outside the selection, which has " +
                                          std::to_string(words_.size()) + " items");
        const text::PageWord& word = words_[static_cast<std::size_t>(index)];
        *text =
            SysAllocStringLen(nullptr, static_cast<UINT>(word.text.size() + word.separator.size()));
        if (*text == nullptr)
            failCall(E_OUTOFMEMORY, "Out of memory");
        std::copy(word.separator.begin(), word.separator.end(),
                  std::copy(word.text.begin(), word.text.end(), *text));
        return S_OK;
    });
}

} // namespace paginor::engine
