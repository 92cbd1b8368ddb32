#include "engine/automation/bstr_text.h"

#include "text_encoding/utf_conversion.h"

#include <new>

namespace paginor::engine {

std::string utf8FromBstr(BSTR text) {
    if (text == nullptr) {
        return {};
    }
    return Utf16ToUtf8(std::u16string_view(text, SysStringLen(text)));
}

BSTR bstrFromUtf8(std::string_view text) {
    const std::u16string wide = Utf8ToUtf16(text);
    BSTR result = SysAllocStringLen(wide.data(), static_cast<UINT>(wide.size()));
    if (result == nullptr) {
        throw std::bad_alloc();
    }
    return result;
}

} // namespace paginor::engine
