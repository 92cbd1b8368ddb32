// The viewer document: the PD document "shown" in the headless application.
// It keeps its title and the text selection it was given, prints, and is the
// application's active document while it is the one opened last.
#pragma once

#include "engine/automation/com_object.h"
#include "engine/automation/pd_document_object.h"

#include <atomic>
#include <memory>
#include <string>

namespace paginor::engine {

class EngineDocument;

class ViewerDocumentObject final : public ComObject<ViewerDocumentObject, IViewerDocument> {
public:
    // Creates a viewer for `document` and registers it as the newest one.
    static ComPtr<ViewerDocumentObject> open(ComPtr<PDDocumentObject> document, std::string title);

    HRESULT STDMETHODCALLTYPE GetPDDocument(IDispatch** document) override;
    HRESULT STDMETHODCALLTYPE SetTextSelection(IDispatch* selection, VARIANT_BOOL* result) override;
    // Prints pages first..last (0-based) of the current state; true when the
    // print queue accepted the job.
    HRESULT STDMETHODCALLTYPE PrintPages(LONG first, LONG last, LONG psLevel, LONG binaryOk,
                                         LONG shrinkToFit, VARIANT_BOOL* result) override;
    // As above; also reverse order and the page set (-3 all, -4 even, -5 odd).
    // PostScript level, binary, far-east font and halftone arguments have no
    // meaning for the print queue and are ignored.
    HRESULT STDMETHODCALLTYPE PrintPagesEx(LONG first, LONG last, LONG psLevel, LONG binaryOk,
                                           LONG shrinkToFit, LONG reverse, LONG farEastFonts,
                                           LONG emitHalftones, LONG pageSet,
                                           VARIANT_BOOL* result) override;

    const std::string& title() const { return title_; }
    IDispatch* selection() const { return selection_.get(); }
    // The document it shows; null once closed or when its PD document is.
    std::shared_ptr<EngineDocument> document() const;
    // Called by the application when it closes all documents.
    void markClosed() { closed_ = true; }
    bool closed() const { return closed_; }

private:
    friend class ComObject<ViewerDocumentObject, IViewerDocument>;
    ViewerDocumentObject(ComPtr<PDDocumentObject> document, std::string title);
    ~ViewerDocumentObject() override;

    HRESULT print(LONG first, LONG last, bool shrinkToFit, bool reverse, LONG pageSet,
                  VARIANT_BOOL* result);
    PDDocumentObject& pdDocument() const;

    ComPtr<PDDocumentObject> pdDocument_;
    std::string title_;
    ComPtr<IDispatch> selection_;
    std::atomic<bool> closed_{false};
};

} // namespace paginor::engine
