// Per-thread error information: a server sets it before returning a failing
// status and the caller picks it up on the same thread.
#include "com/bstr_holder.h"
#include "com/com.h"
#include "com/com_ptr.h"

#include <atomic>
#include <new>

namespace {

thread_local paginor::ComPtr<IErrorInfo> t_errorInfo;

// The object CreateErrorInfo hands out: written through ICreateErrorInfo,
// read through IErrorInfo.
class ErrorInfoObject final : public ICreateErrorInfo, public IErrorInfo {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (riid == IID_IUnknown || riid == IID_ICreateErrorInfo) {
            *object = static_cast<ICreateErrorInfo*>(this);
        } else if (riid == IID_IErrorInfo) {
            *object = static_cast<IErrorInfo*>(this);
        } else {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            delete this;
        }
        return left;
    }

    HRESULT STDMETHODCALLTYPE SetGUID(REFGUID guid) override {
        guid_ = guid;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSource(LPOLESTR source) override { return Store(source_, source); }
    HRESULT STDMETHODCALLTYPE SetDescription(LPOLESTR description) override {
        return Store(description_, description);
    }
    HRESULT STDMETHODCALLTYPE SetHelpFile(LPOLESTR helpFile) override {
        return Store(helpFile_, helpFile);
    }
    HRESULT STDMETHODCALLTYPE SetHelpContext(DWORD helpContext) override {
        helpContext_ = helpContext;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetGUID(GUID* guid) override {
        if (guid == nullptr) {
            return E_INVALIDARG;
        }
        *guid = guid_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSource(BSTR* source) override { return Copy(source_, source); }
    HRESULT STDMETHODCALLTYPE GetDescription(BSTR* description) override {
        return Copy(description_, description);
    }
    HRESULT STDMETHODCALLTYPE GetHelpFile(BSTR* helpFile) override {
        return Copy(helpFile_, helpFile);
    }
    HRESULT STDMETHODCALLTYPE GetHelpContext(DWORD* helpContext) override {
        if (helpContext == nullptr) {
            return E_INVALIDARG;
        }
        *helpContext = helpContext_;
        return S_OK;
    }

private:
    ~ErrorInfoObject() = default;

    static HRESULT Store(paginor::BstrHolder& slot, LPCOLESTR text) {
        if (text == nullptr) {
            slot.reset();
            return S_OK;
        }
        BSTR copy = SysAllocString(text);
        if (copy == nullptr) {
            return E_OUTOFMEMORY;
        }
        slot.reset(copy);
        return S_OK;
    }
    static HRESULT Copy(const paginor::BstrHolder& slot, BSTR* out) {
        if (out == nullptr) {
            return E_INVALIDARG;
        }
        *out = nullptr;
        if (!slot.valid()) {
            return S_OK;
        }
        *out = SysAllocStringLen(slot.get(), SysStringLen(slot.get()));
        return *out == nullptr ? E_OUTOFMEMORY : S_OK;
    }

    std::atomic<ULONG> references_{1};
    GUID guid_ = GUID_NULL;
    paginor::BstrHolder source_;
    paginor::BstrHolder description_;
    paginor::BstrHolder helpFile_;
    DWORD helpContext_ = 0;
};

} // namespace

extern "C" {

HRESULT SetErrorInfo(ULONG /*reserved*/, IErrorInfo* info) {
    t_errorInfo = paginor::ComPtr<IErrorInfo>(info);
    return S_OK;
}

HRESULT GetErrorInfo(ULONG /*reserved*/, IErrorInfo** info) {
    if (info == nullptr) {
        return E_INVALIDARG;
    }
    // The caller takes over the thread's reference; the slot is left empty.
    *info = t_errorInfo.detach();
    return *info == nullptr ? S_FALSE : S_OK;
}

HRESULT CreateErrorInfo(ICreateErrorInfo** info) {
    if (info == nullptr) {
        return E_INVALIDARG;
    }
    *info = new (std::nothrow) ErrorInfoObject();
    return *info == nullptr ? E_OUTOFMEMORY : S_OK;
}

} // extern "C"
