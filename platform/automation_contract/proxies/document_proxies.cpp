// The PD document, its viewer window and its pages across processes. A page
// remembers which page it is, so that a failure while reading its text can
// say so.
#include "contract_marshallers.h"
#include "operation_text.h"

#include "com/remoting/standard_marshaller.h"
#include "automation_contract/automation_interfaces.h"

namespace paginor::automation_proxies {

namespace {

using namespace remoting;

using DocumentMethods =
    MethodList<&IPDDocument::Open, &IPDDocument::Close, &IPDDocument::InsertPages,
               &IPDDocument::DeletePages, &IPDDocument::GetNumPages, &IPDDocument::GetInfo,
               &IPDDocument::SetInfo, &IPDDocument::AcquirePage, &IPDDocument::OpenInViewer,
               &IPDDocument::Save>;

class DocumentProxy final : public InterfaceProxy<IPDDocument> {
public:
    using InterfaceProxy::InterfaceProxy;

    HRESULT STDMETHODCALLTYPE Open(BSTR path, VARIANT_BOOL* result) override {
        return Forward<DocumentMethods, &IPDDocument::Open>(
            [&] { return u"opening " + Quoted(path); }, path, result);
    }
    HRESULT STDMETHODCALLTYPE Close(VARIANT_BOOL* result) override {
        return Forward<DocumentMethods, &IPDDocument::Close>([] { return u"closing the document"; },
                                                             result);
    }
    HRESULT STDMETHODCALLTYPE InsertPages(LONG afterPage, IDispatch* source, LONG startPage,
                                          LONG numPages, LONG bookmarks,
                                          VARIANT_BOOL* result) override {
        return Forward<DocumentMethods, &IPDDocument::InsertPages>(
            [] { return u"inserting pages from another document"; }, afterPage, source, startPage,
            numPages, bookmarks, result);
    }
    HRESULT STDMETHODCALLTYPE DeletePages(LONG first, LONG last, VARIANT_BOOL* result) override {
        return Forward<DocumentMethods, &IPDDocument::DeletePages>(
            [&] { return u"deleting " + PagesFrom(first, last); }, first, last, result);
    }
    HRESULT STDMETHODCALLTYPE GetNumPages(LONG* count) override {
        return Forward<DocumentMethods, &IPDDocument::GetNumPages>(
            [] { return u"counting the pages"; }, count);
    }
    HRESULT STDMETHODCALLTYPE GetInfo(BSTR key, BSTR* value) override {
        return Forward<DocumentMethods, &IPDDocument::GetInfo>(
            [&] { return u"reading the document information " + Quoted(key); }, key, value);
    }
    HRESULT STDMETHODCALLTYPE SetInfo(BSTR key, BSTR value, VARIANT_BOOL* result) override {
        return Forward<DocumentMethods, &IPDDocument::SetInfo>(
            [&] { return u"writing the document information " + Quoted(key); }, key, value, result);
    }
    HRESULT STDMETHODCALLTYPE AcquirePage(LONG index, IDispatch** page) override {
        const HRESULT status = Forward<DocumentMethods, &IPDDocument::AcquirePage>(
            [&] { return u"reading " + PageAt(index); }, index, page);
        if (SUCCEEDED(status) && page != nullptr) {
            LabelObject(*page, PageAt(index));
        }
        return status;
    }
    HRESULT STDMETHODCALLTYPE OpenInViewer(BSTR title, IDispatch** viewer) override {
        return Forward<DocumentMethods, &IPDDocument::OpenInViewer>(
            [] { return u"opening the document's window"; }, title, viewer);
    }
    HRESULT STDMETHODCALLTYPE Save(SHORT saveType, BSTR path, VARIANT_BOOL* result) override {
        return Forward<DocumentMethods, &IPDDocument::Save>(
            [&] { return u"saving " + Quoted(path); }, saveType, path, result);
    }
};

using ViewerMethods =
    MethodList<&IViewerDocument::GetPDDocument, &IViewerDocument::SetTextSelection,
               &IViewerDocument::PrintPages, &IViewerDocument::PrintPagesEx>;

class ViewerProxy final : public InterfaceProxy<IViewerDocument> {
public:
    using InterfaceProxy::InterfaceProxy;

    HRESULT STDMETHODCALLTYPE GetPDDocument(IDispatch** document) override {
        return Forward<ViewerMethods, &IViewerDocument::GetPDDocument>(
            [] { return u"finding the document of its window"; }, document);
    }
    HRESULT STDMETHODCALLTYPE SetTextSelection(IDispatch* selection,
                                               VARIANT_BOOL* result) override {
        return Forward<ViewerMethods, &IViewerDocument::SetTextSelection>(
            [] { return u"selecting text in the document's window"; }, selection, result);
    }
    HRESULT STDMETHODCALLTYPE PrintPages(LONG first, LONG last, LONG psLevel, LONG binaryOk,
                                         LONG shrinkToFit, VARIANT_BOOL* result) override {
        return Forward<ViewerMethods, &IViewerDocument::PrintPages>(
            [&] { return u"printing " + PagesFrom(first, last); }, first, last, psLevel, binaryOk,
            shrinkToFit, result);
    }
    HRESULT STDMETHODCALLTYPE PrintPagesEx(LONG first, LONG last, LONG psLevel, LONG binaryOk,
                                           LONG shrinkToFit, LONG reverse, LONG farEastFonts,
                                           LONG emitHalftones, LONG pageSet,
                                           VARIANT_BOOL* result) override {
        return Forward<ViewerMethods, &IViewerDocument::PrintPagesEx>(
            [&] { return u"printing " + PagesFrom(first, last); }, first, last, psLevel, binaryOk,
            shrinkToFit, reverse, farEastFonts, emitHalftones, pageSet, result);
    }
};

using PageMethods = MethodList<&IPDPage::CreateTextSelection>;

class PageProxy final : public InterfaceProxy<IPDPage> {
public:
    using InterfaceProxy::InterfaceProxy;

    HRESULT STDMETHODCALLTYPE CreateTextSelection(IDispatch* highlightList,
                                                  IDispatch** selection) override {
        const std::u16string page = Owner().Label();
        const HRESULT status = Forward<PageMethods, &IPDPage::CreateTextSelection>(
            [&] { return u"reading the text of " + (page.empty() ? u"a page" : page); },
            highlightList, selection);
        if (SUCCEEDED(status) && selection != nullptr) {
            LabelObject(*selection, page);
        }
        return status;
    }
};

} // namespace

const InterfaceMarshaller& DocumentMarshaller() {
    static const StandardMarshaller<IPDDocument, DocumentProxy, DocumentMethods> marshaller(
        IID_IPDDocument, "IPDDocument",
        {"Open", "Close", "InsertPages", "DeletePages", "GetNumPages", "GetInfo", "SetInfo",
         "AcquirePage", "OpenInViewer", "Save"});
    return marshaller;
}

const InterfaceMarshaller& ViewerMarshaller() {
    static const StandardMarshaller<IViewerDocument, ViewerProxy, ViewerMethods> marshaller(
        IID_IViewerDocument, "IViewerDocument",
        {"GetPDDocument", "SetTextSelection", "PrintPages", "PrintPagesEx"});
    return marshaller;
}

const InterfaceMarshaller& PageMarshaller() {
    static const StandardMarshaller<IPDPage, PageProxy, PageMethods> marshaller(
        IID_IPDPage, "IPDPage", {"CreateTextSelection"});
    return marshaller;
}

} // namespace paginor::automation_proxies
