#include "automation/create_instance.h"

HRESULT CreateAutomationObject(REFCLSID clsid, DWORD context, REFIID iid, void** object) {
    *object = nullptr;
    if ((context & (CLSCTX_LOCAL_SERVER | CLSCTX_REMOTE_SERVER)) == 0) {
        const HRESULT status = CoCreateInstance(clsid, nullptr, context, iid, object);
        if (FAILED(status)) {
            *object = nullptr;
        }
        return status;
    }

    IUnknown* unknown = nullptr;
    HRESULT status =
        CoCreateInstance(clsid, nullptr, context, IID_IUnknown, reinterpret_cast<void**>(&unknown));
    if (FAILED(status) || unknown == nullptr) {
        return FAILED(status) ? status : E_POINTER;
    }
    status = OleRun(unknown);
    if (SUCCEEDED(status)) {
        status = unknown->QueryInterface(iid, object);
        if (SUCCEEDED(status) && *object == nullptr) {
            status = E_POINTER;
        }
    }
    if (FAILED(status) && *object != nullptr) {
        static_cast<IUnknown*>(*object)->Release();
    }
    if (FAILED(status)) {
        *object = nullptr;
    }
    unknown->Release();
    return status;
}
