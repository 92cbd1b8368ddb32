#include "engine_workout.h"

#include "automation_contract/automation_interfaces.h"
#include "automation_contract/automation_values.h"
#include "com/bstr_holder.h"
#include "com/com.h"
#include "com/com_ptr.h"
#include "com/utf.h"

#include <string_view>

namespace paginor::reliability {
namespace {

std::u16string Wide(std::string_view utf8) {
    return paginor::Utf8ToUtf16(utf8);
}

template <class T> ComPtr<T> Create(const char16_t* progId, const IID& iid) {
    ComPtr<T> object;
    CLSID clsid{};
    if (FAILED(CLSIDFromProgID(progId, &clsid)))
        return object;
    ComPtr<IUnknown> created;
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown, created.put_void())) ||
        FAILED(OleRun(created.get())))
        return object;
    created->QueryInterface(iid, object.put_void());
    return object;
}

template <class T> ComPtr<T> Narrow(IUnknown* from, const IID& iid) {
    ComPtr<T> object;
    if (from)
        from->QueryInterface(iid, object.put_void());
    return object;
}

std::string ErrorDescription() {
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.put()) != S_OK || !info)
        return {};
    BSTR text = nullptr;
    info->GetDescription(&text);
    BstrHolder holder = BstrHolder::Adopt(text);
    return paginor::Utf16ToUtf8(holder.view());
}

// Reads every field, writes the first one a user fills; answers the count.
long WorkFields(WorkoutReport& report) {
    auto forms = Create<IFormsApp>(kProgIdFormsApp, IID_IFormsApp);
    if (!forms)
        return 0;
    ComPtr<IDispatch> fieldsObject;
    if (FAILED(forms->get_Fields(fieldsObject.put())))
        return 0;
    auto fields = Narrow<IFormFields>(fieldsObject.get(), IID_IFormFields);
    if (!fields)
        return 0;
    LONG count = 0;
    fields->get_Count(&count);
    ComPtr<IUnknown> enumUnknown;
    if (FAILED(fields->get__NewEnum(enumUnknown.put())))
        return 0;
    auto enumerator = Narrow<IEnumVARIANT>(enumUnknown.get(), IID_IEnumVARIANT);
    if (!enumerator)
        return 0;
    long seen = 0;
    for (;;) {
        VARIANT element;
        VariantInit(&element);
        ULONG fetched = 0;
        if (enumerator->Next(1, &element, &fetched) != S_OK || fetched != 1) {
            VariantClear(&element);
            break;
        }
        ++seen;
        if (element.vt == VT_DISPATCH) {
            if (auto field = Narrow<IFormField>(element.pdispVal, IID_IFormField)) {
                BSTR name = nullptr, value = nullptr, type = nullptr;
                field->get_Name(&name);
                field->get_Value(&value);
                field->get_Type(&type);
                SysFreeString(name);
                SysFreeString(value);
                SysFreeString(type);
                VARIANT_BOOL terminal = VARIANT_FALSE, notUserValue = VARIANT_TRUE;
                field->get_IsTerminal(&terminal);
                field->get_IsNotUserValue(&notUserValue);
                if (!report.wroteField && terminal == VARIANT_TRUE &&
                    notUserValue == VARIANT_FALSE) {
                    BstrHolder text(u"Fuzz \u00e9\u4e2d\u0627 1");
                    report.wroteField = SUCCEEDED(field->put_Value(text.get()));
                    if (!report.wroteField) {
                        BstrHolder off(u"Off");
                        report.wroteField = SUCCEEDED(field->put_Value(off.get()));
                    }
                }
            }
        }
        VariantClear(&element);
    }
    return seen;
}

long WorkPageText(IPDDocument* document) {
    ComPtr<IDispatch> pageObject;
    if (FAILED(document->AcquirePage(0, pageObject.put())))
        return 0;
    auto page = Narrow<IPDPage>(pageObject.get(), IID_IPDPage);
    auto highlights = Create<IHighlightList>(kProgIdHighlightList, IID_IHighlightList);
    if (!page || !highlights)
        return 0;
    VARIANT_BOOL added = VARIANT_FALSE;
    highlights->Add(0, static_cast<SHORT>(0xFFFF), &added);
    ComPtr<IDispatch> selectionObject;
    if (FAILED(page->CreateTextSelection(highlights.get(), selectionObject.put())))
        return 0;
    auto selection = Narrow<ITextSelection>(selectionObject.get(), IID_ITextSelection);
    if (!selection)
        return 0;
    LONG items = 0;
    selection->GetNumText(&items);
    for (LONG i = 0; i < items; ++i) {
        BSTR text = nullptr;
        selection->GetText(i, &text);
        SysFreeString(text);
    }
    return items;
}

} // namespace

WorkoutReport RunEngineWorkout(const std::string& pdfPath, const std::string& savePath) {
    WorkoutReport report;
    auto application = Create<IAutomationApp>(kProgIdApplication, IID_IAutomationApp);
    auto document = Create<IPDDocument>(kProgIdPDDocument, IID_IPDDocument);
    if (!application || !document)
        return report;
    BstrHolder path(Wide(pdfPath));
    VARIANT_BOOL opened = VARIANT_FALSE;
    if (FAILED(document->Open(path.get(), &opened)) || opened != VARIANT_TRUE)
        return report;
    report.opened = true;

    LONG pages = 0;
    document->GetNumPages(&pages);
    report.pages = pages;
    BSTR title = nullptr;
    BstrHolder titleKey(u"Title");
    document->GetInfo(titleKey.get(), &title);
    SysFreeString(title);

    // The forms object works on the document shown last.
    ComPtr<IDispatch> viewer;
    BstrHolder viewerTitle(u"workout");
    if (SUCCEEDED(document->OpenInViewer(viewerTitle.get(), viewer.put())))
        report.fields = WorkFields(report);

    report.textItems = WorkPageText(document.get());

    VARIANT_BOOL inserted = VARIANT_FALSE;
    if (SUCCEEDED(document->InsertPages(0, document.get(), 0, 1, 1, &inserted)))
        report.inserted = inserted == VARIANT_TRUE;

    BstrHolder target(Wide(savePath));
    VARIANT_BOOL saved = VARIANT_FALSE;
    if (SUCCEEDED(document->Save(kSaveFull | kSaveCopy, target.get(), &saved)) &&
        saved == VARIANT_TRUE)
        report.saved = true;
    else
        report.saveFailure = ErrorDescription();

    VARIANT_BOOL closed = VARIANT_FALSE;
    document->Close(&closed);
    application->CloseAllDocuments(&closed);
    return report;
}

} // namespace paginor::reliability
