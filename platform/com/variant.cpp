// VARIANT initialisation and clearing: clearing releases what the variant owns.
#include "com/com.h"

extern "C" {

void VariantInit(VARIANT* variant) {
    if (variant == nullptr) {
        return;
    }
    variant->vt = VT_EMPTY;
    variant->wReserved1 = variant->wReserved2 = variant->wReserved3 = 0;
    variant->llVal = 0;
}

HRESULT VariantClear(VARIANT* variant) {
    if (variant == nullptr) {
        return E_INVALIDARG;
    }
    switch (variant->vt) {
    case VT_BSTR:
        SysFreeString(variant->bstrVal);
        break;
    case VT_UNKNOWN:
        if (variant->punkVal != nullptr) {
            variant->punkVal->Release();
        }
        break;
    case VT_DISPATCH:
        if (variant->pdispVal != nullptr) {
            variant->pdispVal->Release();
        }
        break;
    default:
        break;
    }
    VariantInit(variant);
    return S_OK;
}

HRESULT VariantCopy(VARIANT* destination, const VARIANT* source) {
    if (destination == nullptr || source == nullptr) {
        return E_INVALIDARG;
    }
    if (destination == source) {
        return S_OK;
    }
    VariantClear(destination);
    VARIANT copy = *source;
    switch (source->vt) {
    case VT_BSTR:
        if (source->bstrVal != nullptr) {
            copy.bstrVal = SysAllocStringLen(source->bstrVal, SysStringLen(source->bstrVal));
            if (copy.bstrVal == nullptr) {
                return E_OUTOFMEMORY;
            }
        }
        break;
    case VT_UNKNOWN:
        if (source->punkVal != nullptr) {
            source->punkVal->AddRef();
        }
        break;
    case VT_DISPATCH:
        if (source->pdispVal != nullptr) {
            source->pdispVal->AddRef();
        }
        break;
    default:
        break;
    }
    *destination = copy;
    return S_OK;
}

} // extern "C"
