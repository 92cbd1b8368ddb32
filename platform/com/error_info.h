// Helpers for servers that fail a call: attach a description to the thread's
// error information and hand the status back in one step.
#pragma once

#include "com/com.h"
#include "com/com_ptr.h"

#include <string>
#include <string_view>

namespace paginor {

// Sets the calling thread's error information (interface identity and
// description) and returns hr, so a server can write
// `return ReportComError(IID_IPDDocument, u"cannot open", E_FAIL);`.
// If the information cannot be built, the status is still returned.
inline HRESULT ReportComError(REFIID iid, std::u16string_view description, HRESULT hr) {
    ComPtr<ICreateErrorInfo> creator;
    if (FAILED(CreateErrorInfo(creator.put())) || !creator) {
        return hr;
    }
    std::u16string text(description);
    creator->SetGUID(iid);
    creator->SetDescription(text.data());
    ComPtr<IErrorInfo> info;
    if (SUCCEEDED(creator.As(IID_IErrorInfo, info))) {
        SetErrorInfo(0, info.get());
    }
    return hr;
}

} // namespace paginor
