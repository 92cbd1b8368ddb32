// Object creation through the runtime against the scriptable server, and the
// server's scripting, which the plug-in's conformance tests rely on.
#include "automation_contract/automation_interfaces.h"
#include "automation_contract/automation_values.h"
#include "com/bstr_holder.h"
#include "com/com_ptr.h"
#include "scriptable_server.h"
#include "support/scratch_folder.h"
#include "text_encoding/utf_conversion.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <stdexcept>

namespace {

using namespace paginor::scripted;
using paginor::BstrHolder;
using paginor::ComPtr;

// Creates an object the way the plug-in does: class lookup, creation asking
// for IUnknown, running state, then narrowing to the wanted interface.
template <typename T> HRESULT Create(const char16_t* progId, REFIID iid, ComPtr<T>& out) {
    CLSID clsid;
    HRESULT hr = CLSIDFromString(progId, &clsid);
    if (FAILED(hr)) {
        return hr;
    }
    ComPtr<IUnknown> unknown;
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown, unknown.put_void());
    if (FAILED(hr)) {
        return hr;
    }
    hr = OleRun(unknown.get());
    if (FAILED(hr)) {
        return hr;
    }
    return unknown->QueryInterface(iid, out.put_void());
}

class ScriptableServerTest : public testing::Test {
protected:
    void TearDown() override { EXPECT_EQ(Script().LiveObjects(), 0) << "objects leaked"; }

    ScopedScriptableServer server_;
};

struct CreatableCase {
    const char16_t* progId;
    const IID* iid;
    const char* prefix;
};

const CreatableCase kCreatable[] = {
    {kProgIdApplication, &IID_IAutomationApp, "App."},
    {kProgIdPDDocument, &IID_IPDDocument, "PDDoc."},
    {kProgIdHighlightList, &IID_IHighlightList, "HiliteList."},
    {kProgIdFormsApp, &IID_IFormsApp, "FormsApp."},
};

TEST_F(ScriptableServerTest, EveryProgIdCreatesARunningObject) {
    for (const auto& c : kCreatable) {
        Script().Reset();
        {
            ComPtr<IDispatch> object;
            ASSERT_EQ(Create(c.progId, *c.iid, object), S_OK) << c.prefix;
            ComPtr<ISupportErrorInfo> support;
            EXPECT_EQ(object.As(IID_ISupportErrorInfo, support), S_OK);
        }
        const std::string p = c.prefix;
        EXPECT_EQ(Script().Operations(),
                  (std::vector<std::string>{p + "Create", p + "Run", p + "Release"}));
    }
}

struct CreationFailure {
    const char* operation;
    std::function<void(Behaviour&)> script;
    HRESULT expected;
};

TEST_F(ScriptableServerTest, CreationCanBeMadeToFail) {
    const CreationFailure cases[] = {
        {"App.Create", [](Behaviour& b) { b.fail(E_OUTOFMEMORY); }, E_OUTOFMEMORY},
        {"App.Run", [](Behaviour& b) { b.fail(E_ACCESSDENIED); }, E_ACCESSDENIED},
        {"App.Create", [](Behaviour& b) { b.refuseNarrowing(); }, E_NOINTERFACE},
    };
    for (const auto& c : cases) {
        Script().Reset();
        c.script(Script().on(c.operation));
        ComPtr<IAutomationApp> app;
        EXPECT_EQ(Create(kProgIdApplication, IID_IAutomationApp, app), c.expected) << c.operation;
        EXPECT_FALSE(app);
    }
}

TEST_F(ScriptableServerTest, RegistryWithoutAProgIdFailsItsLookUp) {
    const paginor::test_support::ScratchFolder scratch("scriptable-registry");
    const auto path = scratch / "registry.txt";
    WriteRegistry(path.string(), {kProgIdPDDocument});
    {
        paginor::ComRegistryOverride use(path.string());
        CLSID clsid;
        EXPECT_EQ(CLSIDFromProgID(kProgIdPDDocument, &clsid), CO_E_CLASSSTRING);
        ComPtr<IAutomationApp> app;
        EXPECT_EQ(Create(kProgIdApplication, IID_IAutomationApp, app), S_OK);
        // The class itself stays served: only the name is missing.
        ComPtr<IUnknown> document;
        EXPECT_EQ(
            CoCreateInstance(kClsidPDDoc, nullptr, CLSCTX_ALL, IID_IUnknown, document.put_void()),
            S_OK);
    }
}

constexpr HRESULT kSharingViolation = HRESULT_FROM_WIN32(32);

struct BoolCase {
    const char* name;
    std::function<void(Behaviour&)> script;
    HRESULT status;
    VARIANT_BOOL answer;
    const char16_t* description; // null: no error information pending
    HRESULT supportsErrorInfo;
};

TEST_F(ScriptableServerTest, OperationsAnswerAsScripted) {
    const BoolCase cases[] = {
        {"default", [](Behaviour&) {}, S_OK, VARIANT_TRUE, nullptr, S_OK},
        {"false", [](Behaviour& b) { b.answerFalse(); }, S_OK, VARIANT_FALSE, nullptr, S_OK},
        {"fail bare", [](Behaviour& b) { b.fail(E_FAIL); }, E_FAIL, VARIANT_FALSE, nullptr, S_OK},
        {"fail described", [](Behaviour& b) { b.failWithInfo(E_FAIL, u"no disk"); }, E_FAIL,
         VARIANT_FALSE, u"no disk", S_OK},
        {"fail, support denied",
         [](Behaviour& b) { b.failWithInfo(kSharingViolation, u"locked", false); },
         kSharingViolation, VARIANT_FALSE, u"locked", S_FALSE},
    };
    for (const auto& c : cases) {
        Script().Reset();
        c.script(Script().on("PDDoc.Save"));
        ComPtr<IPDDocument> document;
        ASSERT_EQ(Create(kProgIdPDDocument, IID_IPDDocument, document), S_OK);
        BstrHolder path(u"/tmp/\u00E9t\u00E9.pdf");
        VARIANT_BOOL answer = VARIANT_FALSE;
        EXPECT_EQ(document->Save(kSaveFull | kSaveCopy, path.get(), &answer), c.status) << c.name;
        EXPECT_EQ(answer, c.answer) << c.name;

        ComPtr<IErrorInfo> info;
        GetErrorInfo(0, info.put());
        if (c.description == nullptr) {
            EXPECT_FALSE(info) << c.name;
        } else {
            ASSERT_TRUE(info) << c.name;
            BstrHolder text;
            info->GetDescription(text.put());
            EXPECT_EQ(text.view(), c.description);
        }
        ComPtr<ISupportErrorInfo> support;
        ASSERT_EQ(document.As(IID_ISupportErrorInfo, support), S_OK);
        EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IPDDocument), c.supportsErrorInfo);

        const auto saves = Script().CallsTo("PDDoc.Save");
        ASSERT_EQ(saves.size(), 1u);
        EXPECT_EQ(saves[0].arguments[0].number, 3);
        EXPECT_EQ(saves[0].arguments[1].Utf8(), "/tmp/\xC3\xA9t\xC3\xA9.pdf");
    }
}

struct ObjectCase {
    const char* name;
    std::function<void(Behaviour&)> script;
    bool handedBack;
    bool narrows;
};

TEST_F(ScriptableServerTest, ObjectOperationsCanWithholdOrSpoilTheirObject) {
    const ObjectCase cases[] = {
        {"default viewer", [](Behaviour&) {}, true, true},
        {"no object", [](Behaviour& b) { b.noObject(); }, false, false},
        {"refuses narrowing", [](Behaviour& b) { b.refuseNarrowing(); }, true, false},
        {"wrong kind", [](Behaviour& b) { b.answerObject(ObjectKind::Page); }, true, false},
    };
    for (const auto& c : cases) {
        Script().Reset();
        c.script(Script().on("PDDoc.OpenInViewer"));
        ComPtr<IPDDocument> document;
        ASSERT_EQ(Create(kProgIdPDDocument, IID_IPDDocument, document), S_OK);
        BstrHolder title(u"Title");
        ComPtr<IDispatch> handed;
        EXPECT_EQ(document->OpenInViewer(title.get(), handed.put()), S_OK) << c.name;
        EXPECT_EQ(static_cast<bool>(handed), c.handedBack) << c.name;
        ComPtr<IViewerDocument> viewer;
        const HRESULT narrowed = handed.As(IID_IViewerDocument, viewer);
        EXPECT_EQ(SUCCEEDED(narrowed), c.narrows) << c.name;
        if (c.handedBack) {
            EXPECT_EQ(narrowed == E_NOINTERFACE, !c.narrows) << c.name;
            EXPECT_NE(Script().CallsTo("PDDoc.OpenInViewer")[0].resultObjectId, 0);
        }
    }
}

TEST_F(ScriptableServerTest, ViewerLeadsBackToItsDocumentAndReleasesAreRecorded) {
    int documentId = 0;
    {
        ComPtr<IPDDocument> document;
        ASSERT_EQ(Create(kProgIdPDDocument, IID_IPDDocument, document), S_OK);
        documentId = Script().CallsTo("PDDoc.Create")[0].resultObjectId;
        BstrHolder title(u"T");
        ComPtr<IDispatch> viewer;
        document->OpenInViewer(title.get(), viewer.put());
        ComPtr<IDispatch> again;
        static_cast<IViewerDocument*>(viewer.get())->GetPDDocument(again.put());
        EXPECT_EQ(Script().CallsTo("Viewer.GetPDDocument")[0].resultObjectId, documentId);
        document.reset();
        again.reset();
        EXPECT_EQ(Script().CallCount("PDDoc.Release"), 0u); // the viewer still holds it
    }
    const auto releases = Script().Operations("Viewer.Release");
    EXPECT_EQ(releases.size(), 1u);
    const auto last = Script().Calls().back();
    EXPECT_EQ(last.operation, "PDDoc.Release");
    EXPECT_EQ(last.objectId, documentId);
}

TEST_F(ScriptableServerTest, NthCallBehaviourLeavesOtherCallsAlone) {
    Script().on("PDDoc.GetNumPages").answer(LONG{12});
    Script().onCall("PDDoc.GetNumPages", 2).fail(E_UNEXPECTED);
    ComPtr<IPDDocument> document;
    ASSERT_EQ(Create(kProgIdPDDocument, IID_IPDDocument, document), S_OK);
    LONG pages = 0;
    EXPECT_EQ(document->GetNumPages(&pages), S_OK);
    EXPECT_EQ(pages, 12);
    EXPECT_EQ(document->GetNumPages(&pages), E_UNEXPECTED);
    EXPECT_EQ(document->GetNumPages(&pages), S_OK);
    EXPECT_THROW(Script().on("PDDoc.Opne"), std::invalid_argument);
}

TEST_F(ScriptableServerTest, FieldsEnumerateAsConfigured) {
    Script().SetFields({{u"Name", u"Ann"},
                        {u"Hidden", u"x", false, true},
                        {u"Loose", u"", true, false, ElementKind::NonObject},
                        {u"Odd", u"", true, false, ElementKind::RefusesFormField}});
    ComPtr<IFormsApp> forms;
    ASSERT_EQ(Create(kProgIdFormsApp, IID_IFormsApp, forms), S_OK);
    ComPtr<IDispatch> fieldsDispatch;
    ASSERT_EQ(forms->get_Fields(fieldsDispatch.put()), S_OK);
    ComPtr<IFormFields> fields;
    ASSERT_EQ(fieldsDispatch.As(IID_IFormFields, fields), S_OK);
    LONG count = 0;
    fields->get_Count(&count);
    EXPECT_EQ(count, 4);
    ComPtr<IUnknown> enumUnknown;
    ASSERT_EQ(fields->get__NewEnum(enumUnknown.put()), S_OK);
    ComPtr<IEnumVARIANT> elements;
    ASSERT_EQ(enumUnknown.As(IID_IEnumVARIANT, elements), S_OK);

    std::vector<std::string> seen;
    VARIANT element;
    ULONG fetched = 0;
    while (elements->Next(1, &element, &fetched) == S_OK && fetched == 1) {
        ComPtr<IFormField> field;
        if (element.vt != VT_DISPATCH) {
            seen.push_back("not an object");
        } else if (FAILED(element.pdispVal->QueryInterface(IID_IFormField, field.put_void()))) {
            seen.push_back("refused");
        } else {
            BstrHolder name;
            field->get_Name(name.put());
            VARIANT_BOOL keep = 0;
            VARIANT_BOOL skip = 0;
            field->get_IsTerminal(&keep);
            field->get_IsNotUserValue(&skip);
            seen.push_back(paginor::Utf16ToUtf8(name.view()) + (keep ? " keep" : "") +
                           (skip ? " skip" : ""));
            BstrHolder value(u"Bea");
            field->put_Value(value.get());
        }
        VariantClear(&element);
    }
    EXPECT_EQ(seen,
              (std::vector<std::string>{"Name keep", "Hidden skip", "not an object", "refused"}));
    EXPECT_EQ(Script().Fields()[0].value, u"Bea");
}

TEST_F(ScriptableServerTest, EnumeratorCanFailPartWay) {
    Script().onCall("FieldEnum.Next", 2).failWithInfo(E_FAIL, u"enumeration broke");
    ComPtr<IFormsApp> forms;
    ASSERT_EQ(Create(kProgIdFormsApp, IID_IFormsApp, forms), S_OK);
    ComPtr<IDispatch> fields;
    forms->get_Fields(fields.put());
    ComPtr<IUnknown> enumUnknown;
    static_cast<IFormFields*>(fields.get())->get__NewEnum(enumUnknown.put());
    auto* elements = static_cast<IEnumVARIANT*>(enumUnknown.get());
    VARIANT element;
    ULONG fetched = 0;
    EXPECT_EQ(elements->Next(1, &element, &fetched), S_OK);
    VariantClear(&element);
    EXPECT_EQ(elements->Next(1, &element, &fetched), E_FAIL);
    EXPECT_EQ(fetched, 0u);
    SetErrorInfo(0, nullptr);
}

} // namespace
