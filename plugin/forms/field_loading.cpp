// Filling the field cache from the forms object's field collection.
#include "session/pdf_session.h"

#include "automation/create_instance.h"
#include "automation/guarded_steps.h"
#include "com/bstr_holder.h"
#include "errors/last_error_record.h"

#include <cstdint>

namespace {

// One element fetched from the variant enumerator, cleared at scope end.
class FetchedElement {
public:
    FetchedElement() noexcept { VariantInit(&m_value); }
    FetchedElement(const FetchedElement&) = delete;
    FetchedElement& operator=(const FetchedElement&) = delete;
    ~FetchedElement() { VariantClear(&m_value); }

    VARIANT* Receive() noexcept {
        VariantClear(&m_value);
        return &m_value;
    }
    IDispatch* Object() const noexcept {
        return m_value.vt == VT_DISPATCH ? m_value.pdispVal : nullptr;
    }

private:
    VARIANT m_value;
};

// Fields the user cannot fill are left out: non-terminal fields (a parent of
// widgets) and fields flagged as not holding a user value.
bool IsCacheable(const AutomationRef<IFormField>& field) {
    VARIANT_BOOL keep = VARIANT_FALSE;
    field.Call(&IFormField::get_IsTerminal, &keep);
    if (keep == VARIANT_FALSE) {
        return false;
    }
    VARIANT_BOOL skip = VARIANT_FALSE;
    field.Call(&IFormField::get_IsNotUserValue, &skip);
    return skip == VARIANT_FALSE;
}

std::size_t BucketCountFor(LONG fieldCount) {
    // N x 1.25, truncated; 5/4 keeps it exact in integers.
    return fieldCount <= 0 ? 0 : static_cast<std::size_t>(std::int64_t{fieldCount} * 5 / 4);
}

} // namespace

WideString CPDFSession::LoadFields() {
    if (!m_document) {
        SetError(kErrorNoDocumentOpen, 0, OLESTR(""));
        return kErrorText;
    }

    GuardedSteps steps;
    steps.Run([&] {
        VARIANT_BOOL shown = VARIANT_FALSE;
        m_application.Call(&IAutomationApp::Show, &shown);
    });
    if (steps.Failed()) {
        return kErrorText;
    }

    if (!m_forms) {
        CLSID formsClass{};
        HRESULT status = CLSIDFromProgID(kProgIdFormsApp, &formsClass);
        if (FAILED(status)) {
            SetError(kErrorLibraryFailedToLoad, static_cast<DWORD>(status),
                     OLESTR("Classid for AFormAut.App"));
            return kErrorText;
        }
        status = CreateInstance(m_forms, formsClass, CLSCTX_ALL);
        if (FAILED(status)) {
            m_forms.Clear();
            SetError(kErrorLibraryFailedToLoad, static_cast<DWORD>(status), OLESTR("AFormAut.App"));
            return kErrorText;
        }
    }

    if (!m_fields) {
        steps.Run([&] {
            AutomationRef<IDispatch> collection;
            m_forms.Call(&IFormsApp::get_Fields, collection.Receive());
            m_fields.Narrow(collection.Peek());
        });
        if (steps.Failed()) {
            return kErrorText;
        }
        if (!m_fields) {
            return OLESTR(""); // no field collection: nothing to load, nothing to report
        }
    }

    steps.Run([&] {
        LONG count = 0;
        m_fields.Call(&IFormFields::get_Count, &count);
        m_fieldCache.Rehash(BucketCountFor(count));

        AutomationRef<IUnknown> enumeratorObject;
        m_fields.Call(&IFormFields::get__NewEnum, enumeratorObject.Receive());
        AutomationRef<IEnumVARIANT> enumerator;
        enumerator.Narrow(enumeratorObject.Peek());
        if (!enumerator) {
            return;
        }
        FetchedElement element;
        ULONG fetched = 0;
        // Anything but full success (S_FALSE at the end, or a failure) ends the walk.
        HRESULT walked = S_OK;
        while ((walked = enumerator.Peek()->Next(1, element.Receive(), &fetched)) == S_OK) {
            if (fetched == 0) {
                break; // a server claiming success without an element would loop forever
            }
            if (fetched != 1 || element.Object() == nullptr) {
                continue; // not an automation object
            }
            AutomationRef<IFormField> field;
            field.Narrow(element.Object());
            // An element without the field interface fails on this first call.
            if (!IsCacheable(field)) {
                continue;
            }
            auto entry = std::make_unique<CFieldObj>(field.Peek());
            paginor::BstrHolder name;
            field.Call(&IFormField::get_Name, name.put());
            // A later field of the same name replaces (and frees) the earlier one.
            m_fieldCache.Store(name.str(), std::move(entry));
        }
        // Except when the server has gone: the fields are not all there, and
        // the session must let go of the server.
        if (GuardedSteps::MeansServerLost(walked)) {
            RaiseComFailure(walked, enumerator.Peek(), IID_IEnumVARIANT);
        }
    });
    if (steps.Failed()) {
        // A partial cache would hide the fields after the failure until the
        // document is reopened; an empty one makes the next request try again.
        ClearFields();
        return kErrorText;
    }
    return kDoneText;
}
