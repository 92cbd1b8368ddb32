#include "automation/com_failure.h"

#include "com/bstr_holder.h"

WideString ComFailure::Description() const {
    IErrorInfo* info = m_errorInfo.Peek();
    if (info == nullptr) {
        return {};
    }
    paginor::BstrHolder description;
    if (FAILED(info->GetDescription(description.put()))) {
        return {};
    }
    return description.str();
}

void RaiseComFailure(HRESULT status, IUnknown* object, REFIID iid) {
    AutomationRef<IErrorInfo> errorInfo;
    if (object != nullptr) {
        AutomationRef<ISupportErrorInfo> support;
        // Only an object that vouches for error information on this very
        // interface gets its thread error information attached; anything else
        // in the slot belongs to some other call.
        if (SUCCEEDED(object->QueryInterface(IID_ISupportErrorInfo,
                                             reinterpret_cast<void**>(support.Receive()))) &&
            support.Peek() != nullptr && support.Peek()->InterfaceSupportsErrorInfo(iid) == S_OK) {
            IErrorInfo* info = nullptr;
            if (GetErrorInfo(0, &info) == S_OK) {
                errorInfo.Attach(info);
            } else if (info != nullptr) {
                info->Release();
            }
        }
    }
    throw ComFailure(status, std::move(errorInfo));
}

void RaiseComFailure(HRESULT status) {
    throw ComFailure(status, AutomationRef<IErrorInfo>());
}
