// The forms object, its field collection and its fields across processes.
// A field's name and its two flags cannot change, so they travel with each
// field reference; together with the enumerator reading ahead, loading the
// fields of a form costs a handful of round trips, not several per field.
#include "contract_marshallers.h"
#include "operation_text.h"

#include "com/bstr_holder.h"
#include "com/remoting/standard_marshaller.h"
#include "automation_contract/automation_interfaces.h"

#include <optional>

namespace paginor::automation_proxies {

namespace {

using namespace remoting;

using FormsMethods = MethodList<&IFormsApp::get_Fields>;

class FormsProxy final : public InterfaceProxy<IFormsApp> {
public:
    using InterfaceProxy::InterfaceProxy;

    HRESULT STDMETHODCALLTYPE get_Fields(IDispatch** fields) override {
        return Forward<FormsMethods, &IFormsApp::get_Fields>(
            [] { return u"reading the form fields"; }, fields);
    }
};

using FieldsMethods = MethodList<&IFormFields::get_Count, &IFormFields::get__NewEnum>;

class FieldsProxy final : public InterfaceProxy<IFormFields> {
public:
    using InterfaceProxy::InterfaceProxy;

    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
        return Forward<FieldsMethods, &IFormFields::get_Count>(
            [] { return u"counting the form fields"; }, count);
    }
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** enumerator) override {
        const HRESULT status = Forward<FieldsMethods, &IFormFields::get__NewEnum>(
            [] { return u"reading the form fields"; }, enumerator);
        if (SUCCEEDED(status) && enumerator != nullptr) {
            LabelObject(*enumerator, u"the form fields");
        }
        return status;
    }
};

using FieldMethods =
    MethodList<&IFormField::get_Name, &IFormField::get_Value, &IFormField::put_Value,
               &IFormField::get_IsTerminal, &IFormField::get_Type, &IFormField::get_IsNotUserValue>;

// What travels with a field reference.
struct FieldSnapshot {
    std::u16string name;
    VARIANT_BOOL keep = VARIANT_FALSE;
    VARIANT_BOOL skip = VARIANT_FALSE;
};

class FieldProxy final : public InterfaceProxy<IFormField> {
public:
    FieldProxy(RemoteObject& owner, const IID& iid, std::span<const std::byte> snapshot)
        : InterfaceProxy(owner, iid) {
        if (snapshot.empty()) {
            return;
        }
        MessageReader reader(snapshot);
        FieldSnapshot known;
        known.name = reader.readText();
        known.keep = reader.readI16();
        known.skip = reader.readI16();
        owner.SetLabel(u"the field " + Quoted(known.name));
        snapshot_ = std::move(known);
    }

    HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override {
        if (snapshot_ && name != nullptr) {
            *name = SysAllocStringLen(snapshot_->name.data(),
                                      static_cast<UINT>(snapshot_->name.size()));
            return *name == nullptr ? E_OUTOFMEMORY : S_OK;
        }
        return Forward<FieldMethods, &IFormField::get_Name>(
            [&] { return u"reading the name of " + Field(); }, name);
    }
    HRESULT STDMETHODCALLTYPE get_Value(BSTR* value) override {
        return Forward<FieldMethods, &IFormField::get_Value>(
            [&] { return u"reading the value of " + Field(); }, value);
    }
    HRESULT STDMETHODCALLTYPE put_Value(BSTR value) override {
        return Forward<FieldMethods, &IFormField::put_Value>(
            [&] { return u"writing the value of " + Field(); }, value);
    }
    HRESULT STDMETHODCALLTYPE get_IsTerminal(VARIANT_BOOL* keep) override {
        if (snapshot_ && keep != nullptr) {
            *keep = snapshot_->keep;
            return S_OK;
        }
        return Forward<FieldMethods, &IFormField::get_IsTerminal>(
            [&] { return u"reading the kind of " + Field(); }, keep);
    }
    HRESULT STDMETHODCALLTYPE get_Type(BSTR* type) override {
        return Forward<FieldMethods, &IFormField::get_Type>(
            [&] { return u"reading the type of " + Field(); }, type);
    }
    HRESULT STDMETHODCALLTYPE get_IsNotUserValue(VARIANT_BOOL* skip) override {
        if (snapshot_ && skip != nullptr) {
            *skip = snapshot_->skip;
            return S_OK;
        }
        return Forward<FieldMethods, &IFormField::get_IsNotUserValue>(
            [&] { return u"reading the kind of " + Field(); }, skip);
    }

private:
    std::u16string Field() const {
        const std::u16string label = Owner().Label();
        return label.empty() ? u"a form field" : label;
    }

    std::optional<FieldSnapshot> snapshot_;
};

bool CaptureField(IFormField* field, MessageWriter& out) {
    BstrHolder name;
    VARIANT_BOOL keep = VARIANT_FALSE;
    VARIANT_BOOL skip = VARIANT_FALSE;
    if (FAILED(field->get_Name(name.put())) || FAILED(field->get_IsTerminal(&keep)) ||
        FAILED(field->get_IsNotUserValue(&skip))) {
        return false;
    }
    out.writeText(name.view());
    out.writeI16(keep);
    out.writeI16(skip);
    return true;
}

} // namespace

const InterfaceMarshaller& FormsMarshaller() {
    static const StandardMarshaller<IFormsApp, FormsProxy, FormsMethods> marshaller(
        IID_IFormsApp, "IFormsApp", {"get_Fields"});
    return marshaller;
}

const InterfaceMarshaller& FieldsMarshaller() {
    static const StandardMarshaller<IFormFields, FieldsProxy, FieldsMethods> marshaller(
        IID_IFormFields, "IFormFields", {"get_Count", "get__NewEnum"});
    return marshaller;
}

const InterfaceMarshaller& FieldMarshaller() {
    static const StandardMarshaller<IFormField, FieldProxy, FieldMethods> marshaller(
        IID_IFormField, "IFormField",
        {"get_Name", "get_Value", "put_Value", "get_IsTerminal", "get_Type", "get_IsNotUserValue"},
        &CaptureField);
    return marshaller;
}

} // namespace paginor::automation_proxies
