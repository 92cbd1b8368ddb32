// OleRun: puts an object into its running state when it knows one.
#include "com/com.h"
#include "com/com_ptr.h"

extern "C" HRESULT OleRun(IUnknown* object) {
    if (object == nullptr) {
        return E_INVALIDARG;
    }
    paginor::ComPtr<IRunnableObject> runnable;
    if (FAILED(object->QueryInterface(IID_IRunnableObject, runnable.put_void())) || !runnable) {
        return S_OK; // objects without a running state are always running
    }
    return runnable->Run(nullptr);
}
