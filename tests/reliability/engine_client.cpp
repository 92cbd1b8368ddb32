#include "engine_client.h"

#include "com/bstr_holder.h"
#include "com/utf.h"

namespace reliability {

using paginor::BstrHolder;
using paginor::ComPtr;

ComPtr<IPDDocument> OpenWithEngine(const std::string& path) {
    ComPtr<IPDDocument> document;
    CLSID clsid{};
    if (FAILED(CLSIDFromProgID(kProgIdPDDocument, &clsid)) ||
        FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IPDDocument, document.put_void())))
        return {};
    BstrHolder text(paginor::Utf8ToUtf16(path));
    VARIANT_BOOL opened = VARIANT_FALSE;
    if (FAILED(document->Open(text.get(), &opened)) || opened != VARIANT_TRUE)
        return {};
    return document;
}

SaveOutcome SaveWithEngine(IPDDocument* document, short flags, const std::string& path) {
    SaveOutcome outcome;
    BstrHolder text(paginor::Utf8ToUtf16(path));
    VARIANT_BOOL saved = VARIANT_FALSE;
    const HRESULT hr = document->Save(flags, text.get(), &saved);
    outcome.saved = SUCCEEDED(hr) && saved == VARIANT_TRUE;
    if (!outcome.saved) {
        ComPtr<IErrorInfo> info;
        if (GetErrorInfo(0, info.put()) == S_OK && info) {
            BstrHolder description;
            info->GetDescription(description.put());
            outcome.description = paginor::Utf16ToUtf8(description.view());
        }
    }
    return outcome;
}

long PageCountOf(IPDDocument* document) {
    LONG count = 0;
    document->GetNumPages(&count);
    return count;
}

} // namespace reliability
