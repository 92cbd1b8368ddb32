// The forms object, its fields collection, the collection's enumerator and
// the fields. Field values live in the script, so a value written through
// one field object is read back through any later one.
#include "scripted_objects.h"

#include "automation_contract/automation_interfaces.h"

namespace paginor::scripted {

namespace {

class ScriptedField final : public ScriptedDispatch<IFormField> {
public:
    ScriptedField(std::size_t index, bool refuse)
        : ScriptedDispatch(ObjectKind::Field, IID_IFormField, refuse), index_(index) {}

    HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override {
        return AnswerText(Begin("get_Name", {}), name, Definition().name);
    }
    HRESULT STDMETHODCALLTYPE get_Value(BSTR* value) override {
        return AnswerText(Begin("get_Value", {}), value, Definition().value);
    }
    HRESULT STDMETHODCALLTYPE put_Value(BSTR value) override {
        const Argument argument = TextArgument(value);
        const Behaviour b = Begin("put_Value", {argument});
        if (b.kind == Behaviour::Kind::Fail) {
            return Failure(b);
        }
        StoreFieldValue(index_, argument.text);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_IsTerminal(VARIANT_BOOL* keep) override {
        return AnswerBool(Begin("get_IsTerminal", {}), keep, Definition().keep);
    }
    HRESULT STDMETHODCALLTYPE get_Type(BSTR* type) override {
        return AnswerText(Begin("get_Type", {}), type, Definition().type);
    }
    HRESULT STDMETHODCALLTYPE get_IsNotUserValue(VARIANT_BOOL* skip) override {
        return AnswerBool(Begin("get_IsNotUserValue", {}), skip, Definition().skip);
    }

private:
    // The field's current data; a field removed from the script since reads
    // as empty.
    FieldSpec Definition() const {
        const auto fields = CurrentFields();
        return index_ < fields.size() ? fields[index_] : FieldSpec{};
    }

    std::size_t index_;
};

class ScriptedFieldEnum final : public ScriptedObject<IEnumVARIANT> {
public:
    explicit ScriptedFieldEnum(bool refuse)
        : ScriptedObject(ObjectKind::FieldEnum, IID_IEnumVARIANT, refuse),
          fields_(CurrentFields()) {}

    HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* elements, ULONG* fetched) override {
        const Behaviour b = Begin("Next", {NumberArgument(count)});
        if (fetched != nullptr) {
            *fetched = 0;
        }
        if (b.kind == Behaviour::Kind::Fail) {
            return Failure(b);
        }
        if (elements == nullptr || (count > 1 && fetched == nullptr)) {
            return E_POINTER;
        }
        ULONG done = 0;
        for (; done < count && position_ < fields_.size(); ++done, ++position_) {
            VARIANT& element = elements[done];
            VariantInit(&element);
            const FieldSpec& definition = fields_[position_];
            if (definition.element == ElementKind::NonObject) {
                element.vt = VT_BSTR;
                element.bstrVal = SysAllocStringLen(definition.name.data(),
                                                    static_cast<UINT>(definition.name.size()));
                continue;
            }
            ComPtr<IDispatch> field = NewScripted<ScriptedField>(
                position_, definition.element == ElementKind::RefusesFormField);
            if (!field) {
                break;
            }
            element.vt = VT_DISPATCH;
            element.pdispVal = field.detach();
        }
        if (fetched != nullptr) {
            *fetched = done;
        }
        return done == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override {
        position_ = std::min(fields_.size(), position_ + count);
        return position_ < fields_.size() ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override {
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override {
        if (copy != nullptr) {
            *copy = nullptr;
        }
        return E_NOTIMPL;
    }

private:
    std::vector<FieldSpec> fields_;
    std::size_t position_ = 0;
};

class ScriptedFields final : public ScriptedDispatch<IFormFields> {
public:
    explicit ScriptedFields(bool refuse)
        : ScriptedDispatch(ObjectKind::Fields, IID_IFormFields, refuse) {}

    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
        return AnswerLong(Begin("get_Count", {}), count, static_cast<LONG>(CurrentFields().size()));
    }
    HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** enumerator) override {
        std::size_t record = 0;
        const Behaviour b = Begin("get__NewEnum", {}, &record);
        if (b.kind == Behaviour::Kind::Fail) {
            return Failure(b);
        }
        if (enumerator == nullptr) {
            return E_POINTER;
        }
        *enumerator = nullptr;
        if (b.kind == Behaviour::Kind::NoObject) {
            return S_OK;
        }
        auto* created =
            new (std::nothrow) ScriptedFieldEnum(b.kind == Behaviour::Kind::RefuseNarrowing);
        if (created == nullptr) {
            return E_OUTOFMEMORY;
        }
        NoteResultObject(record, created->Id());
        *enumerator = static_cast<IEnumVARIANT*>(created); // its one reference goes out
        return S_OK;
    }
};

class ScriptedFormsApp final : public ScriptedDispatch<IFormsApp> {
public:
    explicit ScriptedFormsApp(bool refuse)
        : ScriptedDispatch(ObjectKind::FormsApp, IID_IFormsApp, refuse) {}

    HRESULT STDMETHODCALLTYPE get_Fields(IDispatch** fields) override {
        std::size_t record = 0;
        const Behaviour b = Begin("get_Fields", {}, &record);
        return AnswerObject(b, record, fields,
                            [](bool refuse) { return NewScripted<ScriptedFields>(refuse); });
    }
};

} // namespace

ComPtr<IDispatch> MakeFormsObject(ObjectKind kind, bool refuse) {
    switch (kind) {
    case ObjectKind::FormsApp:
        return NewScripted<ScriptedFormsApp>(refuse);
    case ObjectKind::Fields:
        return NewScripted<ScriptedFields>(refuse);
    case ObjectKind::Field:
        return NewScripted<ScriptedField>(0, refuse);
    default:
        return nullptr;
    }
}

} // namespace paginor::scripted
