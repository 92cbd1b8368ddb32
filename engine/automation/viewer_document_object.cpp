#include "engine/automation/viewer_document_object.h"

#include "engine/automation/operation_not_done.h"
#include "engine/automation/viewer_registry.h"
#include "engine/document/engine_document.h"
#include "engine/printing/print_job.h"

namespace paginor::engine {

ComPtr<ViewerDocumentObject> ViewerDocumentObject::open(ComPtr<PDDocumentObject> document,
                                                        std::string title) {
    auto viewer = create(std::move(document), std::move(title));
    ViewerRegistry::instance().add(viewer.get());
    return viewer;
}

ViewerDocumentObject::ViewerDocumentObject(ComPtr<PDDocumentObject> document, std::string title)
    : pdDocument_(std::move(document)), title_(std::move(title)) {}

ViewerDocumentObject::~ViewerDocumentObject() {
    ViewerRegistry::instance().remove(this);
}

std::shared_ptr<EngineDocument> ViewerDocumentObject::document() const {
    if (closed_ || !pdDocument_) {
        return nullptr;
    }
    return pdDocument_->document();
}

PDDocumentObject& ViewerDocumentObject::pdDocument() const {
    if (closed_) {
        failCall(E_UNEXPECTED, "The viewer document was closed by the application");
    }
    return *pdDocument_.get();
}

HRESULT ViewerDocumentObject::GetPDDocument(IDispatch** document) {
    return run([&] {
        if (document == nullptr) {
            failCall(E_POINTER, "A result pointer is null");
        }
        *document = nullptr;
        handOut(ComPtr<PDDocumentObject>(&pdDocument()), document);
        return S_OK;
    });
}

HRESULT ViewerDocumentObject::SetTextSelection(IDispatch* selection, VARIANT_BOOL* result) {
    return run([&] {
        if (result == nullptr) {
            failCall(E_POINTER, "A result pointer is null");
        }
        *result = VARIANT_FALSE;
        pdDocument();
        selection_ = ComPtr<IDispatch>(selection);
        *result = VARIANT_TRUE;
        return S_OK;
    });
}

HRESULT ViewerDocumentObject::PrintPages(LONG first, LONG last, LONG, LONG, LONG shrinkToFit,
                                         VARIANT_BOOL* result) {
    return print(first, last, shrinkToFit != 0, false, kPageSetAll, result);
}

HRESULT ViewerDocumentObject::PrintPagesEx(LONG first, LONG last, LONG, LONG, LONG shrinkToFit,
                                           LONG reverse, LONG, LONG, LONG pageSet,
                                           VARIANT_BOOL* result) {
    return print(first, last, shrinkToFit != 0, reverse != 0, pageSet, result);
}

HRESULT ViewerDocumentObject::print(LONG first, LONG last, bool shrinkToFit, bool reverse,
                                    LONG pageSet, VARIANT_BOOL* result) {
    return run([&] {
        if (result == nullptr) {
            failCall(E_POINTER, "A result pointer is null");
        }
        *result = VARIANT_FALSE;
        auto document = pdDocument().document();
        if (!document) {
            failCall(E_UNEXPECTED, "No PDF file is open in this viewer document");
        }
        PrintOptions options;
        options.firstPage = first;
        options.lastPage = last;
        options.shrinkToFit = shrinkToFit;
        options.reverse = reverse;
        options.pageSet = pageSet;
        options.title = title_.empty() ? document->path() : title_;
        notDoneOnCoreError([&] { printDocument(*document, options); });
        *result = VARIANT_TRUE;
        return S_OK;
    });
}

} // namespace paginor::engine
