// The engine's objects as the plug-in meets them, loaded in-process and
// served from a process of their own: every operation the plug-in uses must
// answer the same through the proxies, objects passed back in included, and
// a failed call's description must cross.
#include "automation_contract/automation_interfaces.h"
#include "com/bstr_holder.h"
#include "com/com_ptr.h"
#include "com/com_registry.h"
#include "com/remoting/remote_object.h"
#include "support/repository_paths.h"
#include "support/scratch_folder.h"
#include "text_encoding/utf_conversion.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using paginor::BstrHolder;
using paginor::ComPtr;

std::string Utf8(std::u16string_view text) {
    return paginor::Utf16ToUtf8(text);
}

BstrHolder Text(const std::string& utf8) {
    return BstrHolder(paginor::Utf8ToUtf16(utf8));
}

std::string ErrorDescription() {
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.put()) != S_OK || !info) {
        return "";
    }
    BstrHolder description;
    info->GetDescription(description.put());
    return Utf8(description.view());
}

struct Serving {
    const char* name;
    const char* registry; // beside the binaries
    bool remote;
};

void PrintTo(const Serving& serving, std::ostream* out) {
    *out << serving.name;
}

class EngineAcrossProcesses : public testing::TestWithParam<Serving> {
protected:
    EngineAcrossProcesses()
        : registry_((paginor::test_support::binaryFolder() / GetParam().registry).string()) {}

    template <typename Interface> ComPtr<Interface> Create(const char16_t* progId, REFIID iid) {
        CLSID clsid{};
        EXPECT_EQ(CLSIDFromProgID(progId, &clsid), S_OK);
        ComPtr<IUnknown> object;
        EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown, object.put_void()),
                  S_OK);
        EXPECT_EQ(OleRun(object.get()), S_OK);
        // The object is a proxy exactly when the engine runs elsewhere.
        EXPECT_EQ(paginor::remoting::RemoteObject::Behind(object.get()) != nullptr,
                  GetParam().remote);
        ComPtr<Interface> typed;
        EXPECT_EQ(object.As(iid, typed), S_OK);
        return typed;
    }

    ComPtr<IPDDocument> Open(const std::string& sample) {
        ComPtr<IPDDocument> document = Create<IPDDocument>(kProgIdPDDocument, IID_IPDDocument);
        const BstrHolder path = Text(paginor::test_support::examplePath(sample).string());
        VARIANT_BOOL opened = VARIANT_FALSE;
        EXPECT_EQ(document->Open(path.get(), &opened), S_OK);
        EXPECT_EQ(opened, VARIANT_TRUE) << sample;
        return document;
    }

    paginor::ComRegistryOverride registry_;
};

TEST_P(EngineAcrossProcesses, DocumentInformationAndPageCount) {
    const ComPtr<IPDDocument> document = Open("bookmarks.pdf");
    LONG pages = 0;
    ASSERT_EQ(document->GetNumPages(&pages), S_OK);
    EXPECT_EQ(pages, 6);
    const BstrHolder key = Text("Subject");
    const BstrHolder value = Text("cr\u00e8me \U0001F600");
    VARIANT_BOOL written = VARIANT_FALSE;
    ASSERT_EQ(document->SetInfo(key.get(), value.get(), &written), S_OK);
    EXPECT_EQ(written, VARIANT_TRUE);
    BstrHolder read;
    ASSERT_EQ(document->GetInfo(key.get(), read.put()), S_OK);
    EXPECT_EQ(read.str(), value.str());
}

TEST_P(EngineAcrossProcesses, PageTextFromAHighlightListPassedBackIn) {
    const ComPtr<IPDDocument> document = Open("text.pdf");
    const ComPtr<IHighlightList> highlights =
        Create<IHighlightList>(kProgIdHighlightList, IID_IHighlightList);
    VARIANT_BOOL added = VARIANT_FALSE;
    ASSERT_EQ(highlights->Add(0, -1, &added), S_OK);
    ComPtr<IDispatch> pageObject;
    ASSERT_EQ(document->AcquirePage(0, pageObject.put()), S_OK);
    ComPtr<IPDPage> page;
    ASSERT_EQ(pageObject.As(IID_IPDPage, page), S_OK);
    ComPtr<IDispatch> selectionObject;
    ASSERT_EQ(page->CreateTextSelection(highlights.get(), selectionObject.put()), S_OK);
    ComPtr<ITextSelection> selection;
    ASSERT_EQ(selectionObject.As(IID_ITextSelection, selection), S_OK);
    LONG count = 0;
    ASSERT_EQ(selection->GetNumText(&count), S_OK);
    ASSERT_GT(count, 10);
    std::u16string text;
    for (LONG i = 0; i < count; ++i) {
        BstrHolder word;
        ASSERT_EQ(selection->GetText(i, word.put()), S_OK);
        text += word.view();
    }
    EXPECT_FALSE(text.empty());
    // Outside the words: the engine's own refusal and description.
    BstrHolder none;
    EXPECT_EQ(selection->GetText(count, none.put()), DISP_E_BADINDEX);
    EXPECT_NE(ErrorDescription().find("is outside the selection"), std::string::npos);

    ComPtr<IViewerDocument> viewer;
    {
        const BstrHolder title = Text("text");
        ComPtr<IDispatch> window;
        ASSERT_EQ(document->OpenInViewer(title.get(), window.put()), S_OK);
        ASSERT_EQ(window.As(IID_IViewerDocument, viewer), S_OK);
    }
    VARIANT_BOOL selected = VARIANT_FALSE;
    EXPECT_EQ(viewer->SetTextSelection(selection.get(), &selected), S_OK);
    EXPECT_EQ(selected, VARIANT_TRUE);
    // The window's document is the document itself.
    ComPtr<IDispatch> ofWindow;
    ASSERT_EQ(viewer->GetPDDocument(ofWindow.put()), S_OK);
    ComPtr<IUnknown> a;
    ComPtr<IUnknown> b;
    ASSERT_EQ(ofWindow.As(IID_IUnknown, a), S_OK);
    ASSERT_EQ(document.As(IID_IUnknown, b), S_OK);
    EXPECT_EQ(a.get(), b.get());
}

TEST_P(EngineAcrossProcesses, PagesInsertedFromADocumentPassedBackInAndSaved) {
    const ComPtr<IPDDocument> target = Open("bookmarks.pdf");
    const ComPtr<IPDDocument> source = Open("sample-form.pdf");
    VARIANT_BOOL inserted = VARIANT_FALSE;
    ASSERT_EQ(target->InsertPages(-1, source.get(), 0, 2, 0, &inserted), S_OK);
    EXPECT_EQ(inserted, VARIANT_TRUE);
    LONG pages = 0;
    ASSERT_EQ(target->GetNumPages(&pages), S_OK);
    EXPECT_EQ(pages, 8);
    VARIANT_BOOL deleted = VARIANT_FALSE;
    ASSERT_EQ(target->DeletePages(0, 0, &deleted), S_OK);
    ASSERT_EQ(target->GetNumPages(&pages), S_OK);
    EXPECT_EQ(pages, 7);

    paginor::test_support::ScratchFolder folder("across-processes");
    const BstrHolder path = Text((folder / "saved.pdf").string());
    VARIANT_BOOL saved = VARIANT_FALSE;
    ASSERT_EQ(target->Save(1, path.get(), &saved), S_OK);
    EXPECT_EQ(saved, VARIANT_TRUE);
    const ComPtr<IPDDocument> reopened = Create<IPDDocument>(kProgIdPDDocument, IID_IPDDocument);
    VARIANT_BOOL opened = VARIANT_FALSE;
    ASSERT_EQ(reopened->Open(path.get(), &opened), S_OK);
    EXPECT_EQ(opened, VARIANT_TRUE);
}

TEST_P(EngineAcrossProcesses, FieldsTravelWithTheirNamesAndFlags) {
    const ComPtr<IPDDocument> document = Open("sample-form.pdf");
    // The forms object works on the document shown in the viewer.
    const BstrHolder title = Text("form");
    ComPtr<IDispatch> window;
    ASSERT_EQ(document->OpenInViewer(title.get(), window.put()), S_OK);
    const ComPtr<IFormsApp> forms = Create<IFormsApp>(kProgIdFormsApp, IID_IFormsApp);
    ComPtr<IDispatch> fieldsObject;
    ASSERT_EQ(forms->get_Fields(fieldsObject.put()), S_OK);
    ComPtr<IFormFields> fields;
    ASSERT_EQ(fieldsObject.As(IID_IFormFields, fields), S_OK);
    LONG count = 0;
    ASSERT_EQ(fields->get_Count(&count), S_OK);
    ComPtr<IUnknown> enumeratorObject;
    ASSERT_EQ(fields->get__NewEnum(enumeratorObject.put()), S_OK);
    ComPtr<IEnumVARIANT> enumerator;
    ASSERT_EQ(enumeratorObject.As(IID_IEnumVARIANT, enumerator), S_OK);
    std::vector<std::string> names;
    VARIANT element;
    VariantInit(&element);
    ULONG fetched = 0;
    ComPtr<IFormField> nameField;
    while (enumerator->Next(1, &element, &fetched) == S_OK) {
        ASSERT_EQ(element.vt, VT_DISPATCH);
        ComPtr<IFormField> field;
        ASSERT_EQ(element.pdispVal->QueryInterface(IID_IFormField, field.put_void()), S_OK);
        VariantClear(&element);
        BstrHolder name;
        VARIANT_BOOL keep = VARIANT_FALSE;
        VARIANT_BOOL skip = VARIANT_TRUE;
        ASSERT_EQ(field->get_Name(name.put()), S_OK);
        ASSERT_EQ(field->get_IsTerminal(&keep), S_OK);
        ASSERT_EQ(field->get_IsNotUserValue(&skip), S_OK);
        names.push_back(Utf8(name.view()) + (keep ? " keep" : "") + (skip ? " skip" : ""));
        if (name.view() == u"name") {
            nameField = field;
        }
    }
    EXPECT_EQ(static_cast<LONG>(names.size()), count);
    EXPECT_EQ(names, (std::vector<std::string>{"name keep", "address keep", "subscribe keep",
                                               "plan keep", "country keep", "colours keep"}));
    ASSERT_TRUE(nameField);
    const BstrHolder value = Text("Ada \u00c5se");
    ASSERT_EQ(nameField->put_Value(value.get()), S_OK);
    BstrHolder read;
    ASSERT_EQ(nameField->get_Value(read.put()), S_OK);
    EXPECT_EQ(read.str(), value.str());
    BstrHolder type;
    ASSERT_EQ(nameField->get_Type(type.put()), S_OK);
    EXPECT_EQ(type.str(), u"text");
}

TEST_P(EngineAcrossProcesses, AFailedCallCarriesTheEnginesDescription) {
    const ComPtr<IPDDocument> document = Create<IPDDocument>(kProgIdPDDocument, IID_IPDDocument);
    LONG pages = 0;
    EXPECT_EQ(document->GetNumPages(&pages), E_UNEXPECTED);
    EXPECT_EQ(ErrorDescription(), "No PDF file is open in this document object");
    ComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(document.As(IID_ISupportErrorInfo, support), S_OK);
    EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IPDDocument), S_OK);
}

INSTANTIATE_TEST_SUITE_P(Both, EngineAcrossProcesses,
                         testing::Values(Serving{"InProcess", "com_registry_inproc.txt", false},
                                         Serving{"OwnProcess", "com_registry.txt", true}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
