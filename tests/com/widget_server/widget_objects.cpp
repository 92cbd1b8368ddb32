// The widget server's objects and its DllGetClassObject.
#include "test_widget.h"

#include "com/bstr_holder.h"
#include "com/com_ptr.h"
#include "com/error_info.h"

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

namespace {

using paginor::BstrHolder;
using paginor::ComPtr;

std::atomic<LONG> g_liveObjects{0};
std::vector<std::unique_ptr<char[]>> g_held; // memory Misbehave keeps

template <typename Primary> class CountedObject : public Primary, public ISupportErrorInfo {
public:
    CountedObject() { ++g_liveObjects; }
    virtual ~CountedObject() { --g_liveObjects; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        *object = nullptr;
        if (riid == IID_IUnknown || riid == PrimaryIid()) {
            *object = static_cast<Primary*>(this);
        } else if (riid == IID_IDispatch && std::is_base_of_v<IDispatch, Primary>) {
            *object = static_cast<Primary*>(this);
        } else if (riid == IID_ISupportErrorInfo) {
            *object = static_cast<ISupportErrorInfo*>(this);
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
            delete this;
        }
        return left;
    }
    HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
        return riid == PrimaryIid() ? S_OK : S_FALSE;
    }

protected:
    virtual const IID& PrimaryIid() const = 0;

private:
    std::atomic<ULONG> references_{1};
};

class Widget final : public CountedObject<ITestWidget> {
public:
    explicit Widget(std::u16string name) : name_(std::move(name)) {}

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                     UINT*) override {
        return E_NOTIMPL;
    }

    HRESULT STDMETHODCALLTYPE GetName(BSTR* name) override { return Copy(name_, name); }
    HRESULT STDMETHODCALLTYPE SetNumbers(LONG number, SHORT small) override {
        number_ = number;
        small_ = small;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetNumbers(LONG* number, SHORT* small) override {
        if (number == nullptr || small == nullptr) {
            return E_POINTER;
        }
        *number = number_;
        *small = small_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetText(BSTR text) override {
        textIsNull_ = text == nullptr;
        text_ = text == nullptr ? std::u16string() : std::u16string(text, SysStringLen(text));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetText(BSTR* text) override {
        if (text == nullptr) {
            return E_POINTER;
        }
        if (textIsNull_) {
            *text = nullptr;
            return S_OK;
        }
        return Copy(text_, text);
    }
    HRESULT STDMETHODCALLTYPE MakeChild(BSTR name, IDispatch** child) override {
        if (child == nullptr) {
            return E_POINTER;
        }
        *child = new Widget(name == nullptr ? u"" : std::u16string(name, SysStringLen(name)));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSelf(IDispatch** self) override {
        if (self == nullptr) {
            return E_POINTER;
        }
        AddRef();
        *self = this;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetNothing(IDispatch** nothing) override {
        if (nothing != nullptr) {
            *nothing = nullptr;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE NameOf(IDispatch* other, BSTR* name) override {
        if (name == nullptr) {
            return E_POINTER;
        }
        *name = nullptr;
        if (other == nullptr) {
            return S_FALSE;
        }
        ComPtr<ITestWidget> asWidget;
        const Widget* widget = nullptr;
        if (FAILED(other->QueryInterface(IID_ITestWidget, asWidget.put_void())) ||
            (widget = dynamic_cast<const Widget*>(asWidget.get())) == nullptr) {
            return paginor::ReportComError(IID_ITestWidget, u"not a widget of this server",
                                           E_INVALIDARG);
        }
        return Copy(widget->name_, name);
    }
    HRESULT STDMETHODCALLTYPE Items(LONG count, IUnknown** enumerator) override;
    HRESULT STDMETHODCALLTYPE Fail(LONG status, BSTR description) override {
        if (description == nullptr) {
            SetErrorInfo(0, nullptr);
            return status;
        }
        return paginor::ReportComError(
            IID_ITestWidget, std::u16string_view(description, SysStringLen(description)), status);
    }
    HRESULT STDMETHODCALLTYPE Misbehave(LONG how, LONG amount) override {
        switch (how) {
        case kSleepMilliseconds:
            std::this_thread::sleep_for(std::chrono::milliseconds(amount));
            return S_OK;
        case kHoldMebibytes:
            for (LONG i = 0; i < amount; ++i) {
                auto block = std::make_unique<char[]>(1 << 20);
                std::memset(block.get(), 0x5A, 1 << 20);
                g_held.push_back(std::move(block));
            }
            return S_OK;
        case kAbort:
            std::abort();
        case kExitWithStatus:
            ::_exit(amount);
        default:
            return E_INVALIDARG;
        }
    }
    HRESULT STDMETHODCALLTYPE Census(LONG* liveObjects, LONG* processId) override {
        if (liveObjects == nullptr || processId == nullptr) {
            return E_POINTER;
        }
        *liveObjects = g_liveObjects.load();
        *processId = static_cast<LONG>(::getpid());
        return S_OK;
    }

private:
    const IID& PrimaryIid() const override { return IID_ITestWidget; }

    static HRESULT Copy(const std::u16string& text, BSTR* out) {
        if (out == nullptr) {
            return E_POINTER;
        }
        *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return *out == nullptr ? E_OUTOFMEMORY : S_OK;
    }

    const std::u16string name_;
    LONG number_ = 0;
    SHORT small_ = 0;
    std::u16string text_;
    bool textIsNull_ = true;
};

class Items final : public CountedObject<IEnumVARIANT> {
public:
    Items(LONG count, LONG position) : count_(count), position_(position) {}

    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* elements, ULONG* fetched) override {
        ULONG done = 0;
        for (; done < count && position_ < count_; ++done, ++position_) {
            VARIANT& element = elements[done];
            VariantInit(&element);
            const std::u16string name = u"item " + Digits(position_);
            switch (position_ % 3) {
            case 0:
                element.vt = VT_I4;
                element.lVal = position_;
                break;
            case 1:
                element.vt = VT_BSTR;
                element.bstrVal = SysAllocStringLen(name.data(), static_cast<UINT>(name.size()));
                break;
            default:
                element.vt = VT_DISPATCH;
                element.pdispVal = new Widget(name);
                break;
            }
        }
        if (fetched != nullptr) {
            *fetched = done;
        }
        return done == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        const LONG left = count_ - position_;
        position_ += std::min<LONG>(left, static_cast<LONG>(count));
        return static_cast<LONG>(count) <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override {
        if (copy == nullptr) {
            return E_POINTER;
        }
        *copy = new Items(count_, position_);
        return S_OK;
    }

private:
    const IID& PrimaryIid() const override { return IID_IEnumVARIANT; }

    static std::u16string Digits(LONG value) {
        const std::string text = std::to_string(value);
        return std::u16string(text.begin(), text.end());
    }

    const LONG count_;
    LONG position_;
};

HRESULT Widget::Items(LONG count, IUnknown** enumerator) {
    if (enumerator == nullptr) {
        return E_POINTER;
    }
    *enumerator = static_cast<IEnumVARIANT*>(new ::Items(count, 0));
    return S_OK;
}

class WidgetFactory final : public IClassFactory {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (riid != IID_IUnknown && riid != IID_IClassFactory) {
            *object = nullptr;
            return E_NOINTERFACE;
        }
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
        if (outer != nullptr) {
            return CLASS_E_NOAGGREGATION;
        }
        const ComPtr<ITestWidget> widget = ComPtr<ITestWidget>::Adopt(new Widget(u"first"));
        return widget->QueryInterface(riid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

} // namespace

extern "C" __attribute__((visibility("default"))) HRESULT
DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    static WidgetFactory factory;
    if (clsid != CLSID_TestWidget) {
        *object = nullptr;
        return CLASS_E_CLASSNOTAVAILABLE;
    }
    return factory.QueryInterface(riid, object);
}
