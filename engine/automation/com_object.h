// Base of every COM object the engine hands out. Derive as
//   class Thing final : public ComObject<Thing, IThing> { ... };
// and create with Thing::create(args...), which returns a ComPtr owning the
// first reference. The base supplies the reference count, QueryInterface over
// the listed interfaces (plus IUnknown, IDispatch, ISupportErrorInfo and
// IRunnableObject), IDispatch's four operations answering E_NOTIMPL (callers
// use the interfaces' own slots), error-information support for the listed
// interfaces and an always-running IRunnableObject.
//
// Interface methods wrap their body in run(...), which catches every
// exception and turns it into an HRESULT with error information.
#pragma once

#include "automation_contract/interface_identity.h"
#include "com/com.h"
#include "com/com_ptr.h"
#include "engine/automation/guarded_call.h"
#include "engine/automation/live_objects.h"

#include <atomic>
#include <type_traits>
#include <utility>

namespace paginor::engine {

template <typename Derived, typename Primary, typename... Others>
class ComObject : public Primary,
                  public Others...,
                  public ISupportErrorInfo,
                  public IRunnableObject {
public:
    template <typename... Args> static ComPtr<Derived> create(Args&&... args) {
        // The count starts at one; the ComPtr takes that reference over.
        return ComPtr<Derived>::Adopt(new Derived(std::forward<Args>(args)...));
    }

    // ---- IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) {
        if (object == nullptr) {
            return E_POINTER;
        }
        *object = findInterface(riid);
        if (*object == nullptr) {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() {
        const ULONG left = --references_;
        if (left == 0) {
            delete static_cast<Derived*>(this);
        }
        return left;
    }

    // ---- IDispatch: the engine is called through interface slots only.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) {
        if (count != nullptr) {
            *count = 0;
        }
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) {
        if (info != nullptr) {
            *info = nullptr;
        }
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) {
        return E_NOTIMPL;
    }

    // ---- ISupportErrorInfo
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) {
        return isListedInterface(riid) ? S_OK : S_FALSE;
    }

    // ---- IRunnableObject: engine objects are running from creation on.
    HRESULT STDMETHODCALLTYPE GetRunningClass(CLSID* clsid) {
        if (clsid == nullptr) {
            return E_POINTER;
        }
        *clsid = GUID_NULL;
        if constexpr (requires { Derived::kClassId; }) {
            *clsid = Derived::kClassId;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Run(void*) { return S_OK; }
    BOOL STDMETHODCALLTYPE IsRunning() { return TRUE; }
    HRESULT STDMETHODCALLTYPE LockRunning(BOOL, BOOL) { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetContainedObject(BOOL) { return S_OK; }

    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

protected:
    ComObject() = default;
    virtual ~ComObject() = default;

    // Runs one interface method's body (a callable returning HRESULT) for the
    // primary interface; see guardedCall.
    template <typename Body> HRESULT run(Body&& body) noexcept {
        return guardedCall(InterfaceIdentity<Primary>::value, std::forward<Body>(body));
    }
    template <typename Interface, typename Body> HRESULT runFor(Body&& body) noexcept {
        return guardedCall(InterfaceIdentity<Interface>::value, std::forward<Body>(body));
    }

private:
    static bool isListedInterface(REFIID riid) {
        return riid == InterfaceIdentity<Primary>::value ||
               ((riid == InterfaceIdentity<Others>::value) || ...);
    }

    void* findInterface(REFIID riid) {
        if (riid == IID_IUnknown) {
            return static_cast<IUnknown*>(static_cast<Primary*>(this));
        }
        if constexpr (std::is_base_of_v<IDispatch, Primary>) {
            if (riid == IID_IDispatch) {
                return static_cast<IDispatch*>(static_cast<Primary*>(this));
            }
        }
        if (riid == IID_ISupportErrorInfo) {
            return static_cast<ISupportErrorInfo*>(this);
        }
        if (riid == IID_IRunnableObject) {
            return static_cast<IRunnableObject*>(this);
        }
        if (riid == InterfaceIdentity<Primary>::value) {
            return static_cast<Primary*>(this);
        }
        void* found = nullptr;
        ((found == nullptr && riid == InterfaceIdentity<Others>::value
              ? (found = static_cast<Others*>(this), true)
              : false),
         ...);
        return found;
    }

    std::atomic<ULONG> references_{1};
    LiveObjectToken live_;
};

// Answers an object result: hands `object` out as `Interface*` with one
// reference that the caller takes over.
template <typename Interface, typename Object>
void handOut(const ComPtr<Object>& object, Interface** out) {
    *out = nullptr;
    if (object) {
        object->AddRef();
        *out = static_cast<Interface*>(object.get());
    }
}

} // namespace paginor::engine
