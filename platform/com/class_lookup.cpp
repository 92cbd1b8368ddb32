// Class identities from text: a registry-form GUID or a ProgID.
#include "com/com.h"
#include "com/com_registry.h"
#include "com/guid_text.h"
#include "text_encoding/utf_conversion.h"

extern "C" {

HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid) {
    if (progId == nullptr || clsid == nullptr) {
        return E_INVALIDARG;
    }
    *clsid = GUID_NULL;
    const auto found = paginor::LookUpProgId(paginor::Utf16View(progId));
    if (!found) {
        return CO_E_CLASSSTRING;
    }
    *clsid = *found;
    return S_OK;
}

HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid) {
    if (clsid == nullptr) {
        return E_INVALIDARG;
    }
    *clsid = GUID_NULL;
    if (text == nullptr) {
        return S_OK; // the platform reads a null text as the null class
    }
    const std::u16string_view view = paginor::Utf16View(text);
    if (view.starts_with(u'{')) {
        const auto parsed = paginor::ParseGuid(view);
        if (!parsed) {
            return CO_E_CLASSSTRING;
        }
        *clsid = *parsed;
        return S_OK;
    }
    return CLSIDFromProgID(text, clsid);
}

} // extern "C"
