// The application, PD document, viewer document, page, text selection and
// highlight list.
#include "scripted_objects.h"

#include "automation_contract/automation_interfaces.h"

namespace paginor::scripted {

namespace {

constexpr LONG kDefaultPageCount = 5;

class ScriptedApp final : public ScriptedDispatch<IAutomationApp> {
public:
    explicit ScriptedApp(bool refuse)
        : ScriptedDispatch(ObjectKind::App, IID_IAutomationApp, refuse) {}

    HRESULT STDMETHODCALLTYPE EndApplication(VARIANT_BOOL* result) override {
        return AnswerBool(Begin("EndApplication", {}), result);
    }
    HRESULT STDMETHODCALLTYPE Hide(VARIANT_BOOL* result) override {
        return AnswerBool(Begin("Hide", {}), result);
    }
    HRESULT STDMETHODCALLTYPE Show(VARIANT_BOOL* result) override {
        return AnswerBool(Begin("Show", {}), result);
    }
    HRESULT STDMETHODCALLTYPE CloseAllDocuments(VARIANT_BOOL* result) override {
        return AnswerBool(Begin("CloseAllDocuments", {}), result);
    }
};

class ScriptedPDDoc final : public ScriptedDispatch<IPDDocument> {
public:
    explicit ScriptedPDDoc(bool refuse)
        : ScriptedDispatch(ObjectKind::PDDoc, IID_IPDDocument, refuse) {}

    HRESULT STDMETHODCALLTYPE Open(BSTR path, VARIANT_BOOL* result) override {
        return AnswerBool(Begin("Open", {TextArgument(path)}), result);
    }
    HRESULT STDMETHODCALLTYPE Close(VARIANT_BOOL* result) override {
        return AnswerBool(Begin("Close", {}), result);
    }
    HRESULT STDMETHODCALLTYPE InsertPages(LONG afterPage, IDispatch* source, LONG startPage,
                                          LONG numPages, LONG bookmarks,
                                          VARIANT_BOOL* result) override {
        return AnswerBool(Begin("InsertPages", {NumberArgument(afterPage), ObjectArgument(source),
                                                NumberArgument(startPage), NumberArgument(numPages),
                                                NumberArgument(bookmarks)}),
                          result);
    }
    HRESULT STDMETHODCALLTYPE DeletePages(LONG first, LONG last, VARIANT_BOOL* result) override {
        return AnswerBool(Begin("DeletePages", {NumberArgument(first), NumberArgument(last)}),
                          result);
    }
    HRESULT STDMETHODCALLTYPE GetNumPages(LONG* count) override {
        return AnswerLong(Begin("GetNumPages", {}), count, kDefaultPageCount);
    }
    HRESULT STDMETHODCALLTYPE GetInfo(BSTR key, BSTR* value) override {
        const Argument keyArgument = TextArgument(key);
        return AnswerText(Begin("GetInfo", {keyArgument}), value, DocInfoValue(keyArgument.text));
    }
    HRESULT STDMETHODCALLTYPE SetInfo(BSTR key, BSTR value, VARIANT_BOOL* result) override {
        const Argument keyArgument = TextArgument(key);
        const Argument valueArgument = TextArgument(value);
        const Behaviour b = Begin("SetInfo", {keyArgument, valueArgument});
        const HRESULT hr = AnswerBool(b, result);
        if (b.kind == Behaviour::Kind::Default && SUCCEEDED(hr)) {
            Script().SetDocInfo(keyArgument.text, valueArgument.text);
        }
        return hr;
    }
    HRESULT STDMETHODCALLTYPE AcquirePage(LONG index, IDispatch** page) override {
        std::size_t record = 0;
        const Behaviour b = Begin("AcquirePage", {NumberArgument(index)}, &record);
        return AnswerObject(b, record, page,
                            [](bool refuse) { return MakeObject(ObjectKind::Page, refuse); });
    }
    HRESULT STDMETHODCALLTYPE OpenInViewer(BSTR title, IDispatch** viewer) override {
        std::size_t record = 0;
        const Behaviour b = Begin("OpenInViewer", {TextArgument(title)}, &record);
        return AnswerObject(b, record, viewer, [this](bool refuse) {
            return MakeViewer(ComPtr<IDispatch>(static_cast<IPDDocument*>(this)), refuse);
        });
    }
    HRESULT STDMETHODCALLTYPE Save(SHORT saveType, BSTR path, VARIANT_BOOL* result) override {
        return AnswerBool(Begin("Save", {NumberArgument(saveType), TextArgument(path)}), result);
    }
};

class ScriptedViewer final : public ScriptedDispatch<IViewerDocument> {
public:
    ScriptedViewer(ComPtr<IDispatch> document, bool refuse)
        : ScriptedDispatch(ObjectKind::Viewer, IID_IViewerDocument, refuse),
          document_(std::move(document)) {}

    HRESULT STDMETHODCALLTYPE GetPDDocument(IDispatch** document) override {
        std::size_t record = 0;
        const Behaviour b = Begin("GetPDDocument", {}, &record);
        return AnswerObject(b, record, document, [this](bool refuse) {
            // Normally the document this window shows.
            return document_ && !refuse ? document_ : MakeObject(ObjectKind::PDDoc, refuse);
        });
    }
    HRESULT STDMETHODCALLTYPE SetTextSelection(IDispatch* selection,
                                               VARIANT_BOOL* result) override {
        return AnswerBool(Begin("SetTextSelection", {ObjectArgument(selection)}), result);
    }
    HRESULT STDMETHODCALLTYPE PrintPages(LONG first, LONG last, LONG psLevel, LONG binaryOk,
                                         LONG shrinkToFit, VARIANT_BOOL* result) override {
        return AnswerBool(Begin("PrintPages", {NumberArgument(first), NumberArgument(last),
                                               NumberArgument(psLevel), NumberArgument(binaryOk),
                                               NumberArgument(shrinkToFit)}),
                          result);
    }
    HRESULT STDMETHODCALLTYPE PrintPagesEx(LONG first, LONG last, LONG psLevel, LONG binaryOk,
                                           LONG shrinkToFit, LONG reverse, LONG farEastFonts,
                                           LONG emitHalftones, LONG pageSet,
                                           VARIANT_BOOL* result) override {
        return AnswerBool(
            Begin("PrintPagesEx",
                  {NumberArgument(first), NumberArgument(last), NumberArgument(psLevel),
                   NumberArgument(binaryOk), NumberArgument(shrinkToFit), NumberArgument(reverse),
                   NumberArgument(farEastFonts), NumberArgument(emitHalftones),
                   NumberArgument(pageSet)}),
            result);
    }

private:
    ComPtr<IDispatch> document_;
};

class ScriptedPage final : public ScriptedDispatch<IPDPage> {
public:
    explicit ScriptedPage(bool refuse) : ScriptedDispatch(ObjectKind::Page, IID_IPDPage, refuse) {}

    HRESULT STDMETHODCALLTYPE CreateTextSelection(IDispatch* highlightList,
                                                  IDispatch** selection) override {
        std::size_t record = 0;
        const Behaviour b = Begin("CreateTextSelection", {ObjectArgument(highlightList)}, &record);
        return AnswerObject(b, record, selection, [](bool refuse) {
            return MakeObject(ObjectKind::TextSelection, refuse);
        });
    }
};

class ScriptedTextSelection final : public ScriptedDispatch<ITextSelection> {
public:
    explicit ScriptedTextSelection(bool refuse)
        : ScriptedDispatch(ObjectKind::TextSelection, IID_ITextSelection, refuse) {}

    HRESULT STDMETHODCALLTYPE GetNumText(LONG* count) override {
        return AnswerLong(Begin("GetNumText", {}), count,
                          static_cast<LONG>(CurrentTextItems().size()));
    }
    HRESULT STDMETHODCALLTYPE GetText(LONG index, BSTR* text) override {
        const Behaviour b = Begin("GetText", {NumberArgument(index)});
        const auto items = CurrentTextItems();
        if (b.kind == Behaviour::Kind::Default &&
            (index < 0 || static_cast<std::size_t>(index) >= items.size())) {
            return DISP_E_BADINDEX;
        }
        return AnswerText(b, text, b.kind == Behaviour::Kind::Default ? items[index] : u"");
    }
};

class ScriptedHiliteList final : public ScriptedDispatch<IHighlightList> {
public:
    explicit ScriptedHiliteList(bool refuse)
        : ScriptedDispatch(ObjectKind::HiliteList, IID_IHighlightList, refuse) {}

    HRESULT STDMETHODCALLTYPE Add(SHORT offset, SHORT length, VARIANT_BOOL* result) override {
        return AnswerBool(Begin("Add", {NumberArgument(offset), NumberArgument(length)}), result);
    }
};

} // namespace

ComPtr<IDispatch> MakeViewer(ComPtr<IDispatch> document, bool refuse) {
    return NewScripted<ScriptedViewer>(std::move(document), refuse);
}

ComPtr<IDispatch> MakeDocumentObject(ObjectKind kind, bool refuse) {
    switch (kind) {
    case ObjectKind::App:
        return NewScripted<ScriptedApp>(refuse);
    case ObjectKind::PDDoc:
        return NewScripted<ScriptedPDDoc>(refuse);
    case ObjectKind::Viewer:
        return MakeViewer(nullptr, refuse);
    case ObjectKind::Page:
        return NewScripted<ScriptedPage>(refuse);
    case ObjectKind::TextSelection:
        return NewScripted<ScriptedTextSelection>(refuse);
    case ObjectKind::HiliteList:
        return NewScripted<ScriptedHiliteList>(refuse);
    default:
        return nullptr;
    }
}

} // namespace paginor::scripted
