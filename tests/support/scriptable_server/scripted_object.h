// The common body of every scripted object: reference counting, interface
// look-up, error-information support, the running state, and the helpers
// that turn a resolved Behaviour into an operation's answer.
#pragma once

#include "com/bstr_holder.h"
#include "com/com_ptr.h"
#include "com/error_info.h"
#include "script_state.h"

#include <atomic>
#include <functional>
#include <new>
#include <type_traits>

namespace paginor::scripted {

// Lets the server recognise its own objects among interface arguments.
class ScriptedIdentity {
public:
    virtual ObjectKind Kind() const = 0;
    virtual int Id() const = 0;

protected:
    ~ScriptedIdentity() = default;
};

// Makes a new object of a kind (with its default contents), or nothing when
// it cannot be allocated. refuse: the object refuses its own interface.
ComPtr<IDispatch> MakeObject(ObjectKind kind, bool refuse);

template <typename Interface>
class ScriptedObject : public Interface,
                       public ISupportErrorInfo,
                       public IRunnableObject,
                       public ScriptedIdentity {
public:
    ScriptedObject(ObjectKind kind, REFIID ownInterface, bool refuse)
        : kind_(kind), own_(ownInterface), refuse_(refuse), id_(NewObjectId()) {}

    ObjectKind Kind() const override { return kind_; }
    int Id() const override { return id_; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        *object = nullptr;
        if (riid == IID_IUnknown) {
            *object = static_cast<IUnknown*>(static_cast<Interface*>(this));
        } else if (riid == own_ || (riid == IID_IDispatch && kIsDispatch)) {
            if (refuse_ && riid == own_) {
                return E_NOINTERFACE;
            }
            *object = static_cast<Interface*>(this);
        } else if (riid == IID_ISupportErrorInfo) {
            *object = static_cast<ISupportErrorInfo*>(this);
        } else if (riid == IID_IRunnableObject) {
            *object = static_cast<IRunnableObject*>(this);
        } else {
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) {
            RecordRelease(kind_, id_);
            delete this;
        }
        return left;
    }

    // Says S_OK for the object's own interface unless the last failure was
    // scripted to deny it.
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
        return riid == own_ && supportsErrorInfo_ ? S_OK : S_FALSE;
    }

    HRESULT STDMETHODCALLTYPE GetRunningClass(CLSID* clsid) override {
        if (clsid == nullptr) {
            return E_INVALIDARG;
        }
        *clsid = GUID_NULL;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Run(void*) override {
        const Behaviour b = Begin("Run", {});
        return b.kind == Behaviour::Kind::Fail ? Failure(b) : S_OK;
    }
    BOOL STDMETHODCALLTYPE IsRunning() override { return TRUE; }
    HRESULT STDMETHODCALLTYPE LockRunning(BOOL, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetContainedObject(BOOL) override { return S_OK; }

protected:
    virtual ~ScriptedObject() { ObjectDestroyed(); }

    static constexpr bool kIsDispatch = std::is_base_of_v<IDispatch, Interface>;

    Behaviour Begin(std::string_view operation, std::vector<Argument> arguments,
                    std::size_t* recordIndex = nullptr) {
        const std::string name = std::string(KindName(kind_)) + "." + std::string(operation);
        return BeginCall(kind_, id_, name, std::move(arguments), recordIndex);
    }

    HRESULT Failure(const Behaviour& b) {
        supportsErrorInfo_ = b.supportsErrorInfo;
        if (b.setsErrorInfo) {
            return ReportComError(own_, b.description, b.status);
        }
        SetErrorInfo(0, nullptr);
        return b.status;
    }

    HRESULT AnswerBool(const Behaviour& b, VARIANT_BOOL* out, bool byDefault = true) {
        if (b.kind == Behaviour::Kind::Fail) {
            return Failure(b);
        }
        if (out == nullptr) {
            return E_POINTER;
        }
        bool flag = byDefault;
        if (const bool* given = std::get_if<bool>(&b.value)) {
            flag = *given;
        } else if (const LONG* number = std::get_if<LONG>(&b.value)) {
            flag = *number != 0;
        }
        *out = flag ? VARIANT_TRUE : VARIANT_FALSE;
        return S_OK;
    }

    HRESULT AnswerLong(const Behaviour& b, LONG* out, LONG byDefault) {
        if (b.kind == Behaviour::Kind::Fail) {
            return Failure(b);
        }
        if (out == nullptr) {
            return E_POINTER;
        }
        const LONG* given = std::get_if<LONG>(&b.value);
        *out = given != nullptr ? *given : byDefault;
        return S_OK;
    }

    HRESULT AnswerText(const Behaviour& b, BSTR* out, const std::u16string& byDefault) {
        if (b.kind == Behaviour::Kind::Fail) {
            return Failure(b);
        }
        if (out == nullptr) {
            return E_POINTER;
        }
        const std::u16string* given = std::get_if<std::u16string>(&b.value);
        const std::u16string& text = given != nullptr ? *given : byDefault;
        *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return *out == nullptr ? E_OUTOFMEMORY : S_OK;
    }

    // makeDefault(refuse) builds the object this operation normally hands out.
    template <typename Out>
    HRESULT AnswerObject(const Behaviour& b, std::size_t recordIndex, Out** out,
                         const std::function<ComPtr<IDispatch>(bool)>& makeDefault) {
        if (b.kind == Behaviour::Kind::Fail) {
            return Failure(b);
        }
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = nullptr;
        if (b.kind == Behaviour::Kind::NoObject) {
            return S_OK;
        }
        const bool refuse = b.kind == Behaviour::Kind::RefuseNarrowing;
        const ObjectKind* kind = std::get_if<ObjectKind>(&b.value);
        ComPtr<IDispatch> object = kind != nullptr ? MakeObject(*kind, false) : makeDefault(refuse);
        if (!object) {
            return E_OUTOFMEMORY;
        }
        NoteResultObject(recordIndex, dynamic_cast<ScriptedIdentity*>(object.get())->Id());
        *out = object.detach();
        return S_OK;
    }

    HRESULT Plain(const Behaviour& b) {
        return b.kind == Behaviour::Kind::Fail ? Failure(b) : S_OK;
    }

private:
    const ObjectKind kind_;
    const IID own_;
    const bool refuse_;
    const int id_;
    bool supportsErrorInfo_ = true;
    std::atomic<ULONG> references_{1};
};

// Adds the four dispatch operations, which these objects do not offer.
template <typename Interface> class ScriptedDispatch : public ScriptedObject<Interface> {
public:
    using ScriptedObject<Interface>::ScriptedObject;

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (count != nullptr) {
            *count = 0;
        }
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }
};

// Creates a scripted object; null when memory runs out.
template <typename T, typename... Args> ComPtr<IDispatch> NewScripted(Args&&... args) {
    T* object = new (std::nothrow) T(std::forward<Args>(args)...);
    // The new object holds one reference, which the ComPtr adopts.
    return ComPtr<IDispatch>::Adopt(object);
}

} // namespace paginor::scripted
