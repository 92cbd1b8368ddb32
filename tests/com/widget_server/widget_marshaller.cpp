// The widget interface's proxy and stub, exported as the registry expects
// of a marshaller module. The name travels with every reference.
#include "test_widget.h"

#include "com/remoting/standard_marshaller.h"

#include <vector>

namespace {

using namespace paginor::remoting;

using WidgetMethods =
    MethodList<&ITestWidget::GetName, &ITestWidget::SetNumbers, &ITestWidget::GetNumbers,
               &ITestWidget::SetText, &ITestWidget::GetText, &ITestWidget::MakeChild,
               &ITestWidget::GetSelf, &ITestWidget::GetNothing, &ITestWidget::NameOf,
               &ITestWidget::Items, &ITestWidget::Fail, &ITestWidget::Misbehave,
               &ITestWidget::Census>;

std::u16string Called(const RemoteObject& owner, const char16_t* what) {
    return std::u16string(what) + u" on " + owner.Label();
}

class WidgetProxy final : public InterfaceProxy<ITestWidget> {
public:
    WidgetProxy(RemoteObject& owner, const IID& iid, std::span<const std::byte> snapshot)
        : InterfaceProxy(owner, iid) {
        if (!snapshot.empty()) {
            MessageReader reader(snapshot);
            name_ = reader.readText();
            owner.SetLabel(u"the widget \"" + *name_ + u"\"");
        }
    }

    HRESULT STDMETHODCALLTYPE GetName(BSTR* name) override {
        if (name_ && name != nullptr) {
            *name = SysAllocStringLen(name_->data(), static_cast<UINT>(name_->size()));
            return *name == nullptr ? E_OUTOFMEMORY : S_OK;
        }
        return Forward<WidgetMethods, &ITestWidget::GetName>(
            [&] { return Called(Owner(), u"reading the name"); }, name);
    }
    HRESULT STDMETHODCALLTYPE SetNumbers(LONG number, SHORT small) override {
        return Forward<WidgetMethods, &ITestWidget::SetNumbers>(
            [&] { return Called(Owner(), u"setting numbers"); }, number, small);
    }
    HRESULT STDMETHODCALLTYPE GetNumbers(LONG* number, SHORT* small) override {
        return Forward<WidgetMethods, &ITestWidget::GetNumbers>(
            [&] { return Called(Owner(), u"reading numbers"); }, number, small);
    }
    HRESULT STDMETHODCALLTYPE SetText(BSTR text) override {
        return Forward<WidgetMethods, &ITestWidget::SetText>(
            [&] { return Called(Owner(), u"setting the text"); }, text);
    }
    HRESULT STDMETHODCALLTYPE GetText(BSTR* text) override {
        return Forward<WidgetMethods, &ITestWidget::GetText>(
            [&] { return Called(Owner(), u"reading the text"); }, text);
    }
    HRESULT STDMETHODCALLTYPE MakeChild(BSTR name, IDispatch** child) override {
        return Forward<WidgetMethods, &ITestWidget::MakeChild>(
            [&] { return Called(Owner(), u"making a child"); }, name, child);
    }
    HRESULT STDMETHODCALLTYPE GetSelf(IDispatch** self) override {
        return Forward<WidgetMethods, &ITestWidget::GetSelf>(
            [&] { return Called(Owner(), u"asking for itself"); }, self);
    }
    HRESULT STDMETHODCALLTYPE GetNothing(IDispatch** nothing) override {
        return Forward<WidgetMethods, &ITestWidget::GetNothing>(
            [&] { return Called(Owner(), u"asking for nothing"); }, nothing);
    }
    HRESULT STDMETHODCALLTYPE NameOf(IDispatch* other, BSTR* name) override {
        return Forward<WidgetMethods, &ITestWidget::NameOf>(
            [&] { return Called(Owner(), u"naming another"); }, other, name);
    }
    HRESULT STDMETHODCALLTYPE Items(LONG count, IUnknown** enumerator) override {
        const HRESULT status = Forward<WidgetMethods, &ITestWidget::Items>(
            [&] { return Called(Owner(), u"listing items"); }, count, enumerator);
        if (SUCCEEDED(status) && enumerator != nullptr) {
            if (RemoteObject* list = RemoteObject::Behind(*enumerator)) {
                list->SetLabel(u"the items");
            }
        }
        return status;
    }
    HRESULT STDMETHODCALLTYPE Fail(LONG status, BSTR description) override {
        return Forward<WidgetMethods, &ITestWidget::Fail>(
            [&] { return Called(Owner(), u"failing"); }, status, description);
    }
    HRESULT STDMETHODCALLTYPE Misbehave(LONG how, LONG amount) override {
        return Forward<WidgetMethods, &ITestWidget::Misbehave>(
            [&] { return Called(Owner(), u"misbehaving"); }, how, amount);
    }
    HRESULT STDMETHODCALLTYPE Census(LONG* liveObjects, LONG* processId) override {
        return Forward<WidgetMethods, &ITestWidget::Census>(
            [&] { return Called(Owner(), u"counting objects"); }, liveObjects, processId);
    }

private:
    std::optional<std::u16string> name_;
};

bool CaptureName(ITestWidget* widget, MessageWriter& out) {
    paginor::BstrHolder name;
    if (FAILED(widget->GetName(name.put()))) {
        return false;
    }
    out.writeText(name.view());
    return true;
}

const StandardMarshaller<ITestWidget, WidgetProxy, WidgetMethods>
    kWidgetMarshaller(IID_ITestWidget, "ITestWidget",
                      {"GetName", "SetNumbers", "GetNumbers", "SetText", "GetText", "MakeChild",
                       "GetSelf", "GetNothing", "NameOf", "Items", "Fail", "Misbehave", "Census"},
                      &CaptureName);

} // namespace

extern "C" __attribute__((visibility("default"))) const InterfaceMarshaller*
DllGetInterfaceMarshaller(REFIID iid) {
    return iid == IID_ITestWidget ? &kWidgetMarshaller : nullptr;
}
