// The engine's objects as COM objects: identities, error information,
// application state, viewer documents and the highlight list.
#include "engine_test_support.h"

#include "engine/automation/active_document.h"
#include "engine/automation/application_object.h"
#include "engine/automation/class_ids.h"
#include "engine/automation/class_table.h"
#include "engine/automation/highlight_list_object.h"
#include "engine/automation/live_objects.h"
#include "engine/automation/viewer_document_object.h"
#include "engine/document/engine_document.h"

#include <gtest/gtest.h>

namespace engine_test {
namespace {

using paginor::ComPtr;
using namespace paginor::engine;

constexpr IID kUnrelatedIid = {0x12345678, 0x1, 0x2, {1, 2, 3, 4, 5, 6, 7, 8}};

struct ClassCase {
    const char* name;
    const CLSID* clsid;
    const IID* iid;
};

class EngineClassTest : public ::testing::TestWithParam<ClassCase> {};

TEST_P(EngineClassTest, AnswersItsInterfacesAndErrorSupport) {
    const std::size_t liveBefore = liveObjectCount();
    {
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(getEngineClassObject(*GetParam().clsid, IID_IClassFactory, factory.put_void()),
                  S_OK);
        ComPtr<IUnknown> object;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, object.put_void()), S_OK);
        for (const IID* iid : {&IID_IUnknown, &IID_IDispatch, GetParam().iid,
                               &IID_ISupportErrorInfo, &IID_IRunnableObject}) {
            ComPtr<IUnknown> answer;
            EXPECT_EQ(object->QueryInterface(*iid, answer.put_void()), S_OK);
        }
        ComPtr<IUnknown> none;
        EXPECT_EQ(object->QueryInterface(kUnrelatedIid, none.put_void()), E_NOINTERFACE);
        EXPECT_FALSE(none);

        ComPtr<ISupportErrorInfo> support;
        ASSERT_EQ(object.As(IID_ISupportErrorInfo, support), S_OK);
        EXPECT_EQ(support->InterfaceSupportsErrorInfo(*GetParam().iid), S_OK);
        EXPECT_EQ(support->InterfaceSupportsErrorInfo(kUnrelatedIid), S_FALSE);
        EXPECT_EQ(OleRun(object.get()), S_OK);

        IUnknown* outer = object.get();
        ComPtr<IUnknown> aggregated;
        EXPECT_EQ(factory->CreateInstance(outer, IID_IUnknown, aggregated.put_void()),
                  CLASS_E_NOAGGREGATION);
    }
    EXPECT_EQ(liveObjectCount(), liveBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Classes, EngineClassTest,
    ::testing::Values(ClassCase{"Application", &CLSID_EngineApplication, &IID_IAutomationApp},
                      ClassCase{"PDDocument", &CLSID_EnginePDDocument, &IID_IPDDocument},
                      ClassCase{"HighlightList", &CLSID_EngineHighlightList, &IID_IHighlightList}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(EngineClassTable, RefusesClassesItDoesNotServe) {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(getEngineClassObject(kUnrelatedIid, IID_IClassFactory, factory.put_void()),
              CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_FALSE(factory);
}

TEST(PDDocumentObject, OperationsWithoutAnOpenFileFailWithADescription) {
    auto document = newDocument();
    LONG count = 7;
    EXPECT_EQ(document->GetNumPages(&count), E_UNEXPECTED);
    EXPECT_EQ(count, 0);
    EXPECT_EQ(lastErrorDescription(), "No PDF file is open in this document object");
    VARIANT_BOOL closed = VARIANT_FALSE;
    EXPECT_EQ(document->Close(&closed), S_OK);
    EXPECT_EQ(closed, VARIANT_TRUE);
}

TEST(PDDocumentObject, RefusesFilesThatAreNotPdfWithoutHoldingAnything) {
    ScratchFolder folder;
    const auto notPdf = folder / "note.pdf";
    FILE* file = std::fopen(notPdf.c_str(), "w");
    std::fputs("just some text\n", file);
    std::fclose(file);
    for (const auto& path : {notPdf, folder / "missing.pdf", folder.path()}) {
        auto document = newDocument();
        EXPECT_FALSE(openInto(document.get(), path)) << path;
        LONG count = 0;
        EXPECT_EQ(document->GetNumPages(&count), E_UNEXPECTED);
    }
}

TEST(ApplicationObject, ShowAndHideChangeOnlyTheVisibleState) {
    auto app = newApplication();
    VARIANT_BOOL answer = VARIANT_FALSE;
    ASSERT_EQ(app->Show(&answer), S_OK);
    EXPECT_EQ(answer, VARIANT_TRUE);
    EXPECT_TRUE(ApplicationObject::visible());
    ASSERT_EQ(app->Hide(&answer), S_OK);
    EXPECT_EQ(answer, VARIANT_TRUE);
    EXPECT_FALSE(ApplicationObject::visible());
}

TEST(ViewerDocument, TheViewerOpenedLastIsActiveUntilTheApplicationClosesIt) {
    auto app = newApplication();
    auto form = openDocument(examplePath("sample-form.pdf"));
    auto text = openDocument(examplePath("text.pdf"));
    ASSERT_FALSE(activeDocument());

    ComPtr<IDispatch> formViewer;
    ComPtr<IDispatch> textViewer;
    ASSERT_EQ(form->OpenInViewer(bstr("Form").get(), formViewer.put()), S_OK);
    ASSERT_EQ(text->OpenInViewer(bstr("Text").get(), textViewer.put()), S_OK);
    ASSERT_TRUE(activeDocument());
    EXPECT_EQ(activeDocument()->pageCount(), 3); // text.pdf
    ComPtr<IViewerDocument> newest;
    ASSERT_EQ(textViewer.As(IID_IViewerDocument, newest), S_OK);
    EXPECT_EQ(dynamic_cast<ViewerDocumentObject*>(newest.get())->title(), "Text");
    newest.reset();

    // The viewer's PD document is the very object that opened it.
    ComPtr<IViewerDocument> viewer;
    ASSERT_EQ(formViewer.As(IID_IViewerDocument, viewer), S_OK);
    ComPtr<IDispatch> pd;
    ASSERT_EQ(viewer->GetPDDocument(pd.put()), S_OK);
    ComPtr<IPDDocument> same;
    ASSERT_EQ(pd.As(IID_IPDDocument, same), S_OK);
    EXPECT_EQ(same.get(), form.get());

    ComPtr<IDispatch> selection;
    {
        ComPtr<IClassFactory> factory;
        getEngineClassObject(CLSID_EngineHighlightList, IID_IClassFactory, factory.put_void());
        factory->CreateInstance(nullptr, IID_IDispatch, selection.put_void());
    }
    VARIANT_BOOL answer = VARIANT_FALSE;
    ASSERT_EQ(viewer->SetTextSelection(selection.get(), &answer), S_OK);
    EXPECT_EQ(answer, VARIANT_TRUE);

    // Releasing the newest viewer makes the previous one active again.
    textViewer.reset();
    ASSERT_TRUE(activeDocument());
    EXPECT_EQ(activeDocument()->pageCount(), 2);

    ASSERT_EQ(app->CloseAllDocuments(&answer), S_OK);
    EXPECT_EQ(answer, VARIANT_TRUE);
    EXPECT_FALSE(activeDocument());
    ASSERT_EQ(app->EndApplication(&answer), S_OK);
    EXPECT_EQ(answer, VARIANT_TRUE);
}

TEST(HighlightList, KeepsSixteenBitRangesInOrder) {
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(
        getEngineClassObject(CLSID_EngineHighlightList, IID_IClassFactory, factory.put_void()),
        S_OK);
    ComPtr<IHighlightList> list;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IHighlightList, list.put_void()), S_OK);
    const std::vector<std::pair<SHORT, SHORT>> added{{0, -1}, {3, 2}, {-2, 5}};
    for (auto [offset, length] : added) {
        VARIANT_BOOL answer = VARIANT_FALSE;
        ASSERT_EQ(list->Add(offset, length, &answer), S_OK);
        EXPECT_EQ(answer, VARIANT_TRUE);
    }
    const HighlightListObject* object = HighlightListObject::fromDispatch(list.get());
    ASSERT_NE(object, nullptr);
    const std::vector<HighlightRange> expected{{0, 0xFFFF}, {3, 2}, {0xFFFE, 5}};
    EXPECT_EQ(object->ranges(), expected);
    EXPECT_TRUE(object->ranges()[0].toEndOfPage());
    EXPECT_FALSE(object->ranges()[1].toEndOfPage());
}

} // namespace
} // namespace engine_test
