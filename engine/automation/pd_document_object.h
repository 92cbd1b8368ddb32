// "AcroExch.PDDoc": a PD document. It holds at most one open EngineDocument;
// operations that need one fail with E_UNEXPECTED and a description while
// none is open.
#pragma once

#include "engine/automation/class_ids.h"
#include "engine/automation/com_object.h"

#include <memory>

namespace paginor::engine {

class EngineDocument;

class PDDocumentObject final : public ComObject<PDDocumentObject, IPDDocument> {
public:
    static constexpr const CLSID& kClassId = CLSID_EnginePDDocument;

    // The engine's own PD document behind `object`, or null when it is
    // something else (another server's object, or null).
    static PDDocumentObject* fromDispatch(IUnknown* object);

    // The open document; null while none is open.
    std::shared_ptr<EngineDocument> document() const { return document_; }

    // Answers false (nothing held) for a file that is not a PDF or cannot be
    // read; a document open before is let go either way.
    HRESULT STDMETHODCALLTYPE Open(BSTR path, VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE Close(VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE InsertPages(LONG afterPage, IDispatch* source, LONG startPage,
                                          LONG numPages, LONG bookmarks,
                                          VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE DeletePages(LONG first, LONG last, VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE GetNumPages(LONG* count) override;
    HRESULT STDMETHODCALLTYPE GetInfo(BSTR key, BSTR* value) override;
    HRESULT STDMETHODCALLTYPE SetInfo(BSTR key, BSTR value, VARIANT_BOOL* result) override;
    HRESULT STDMETHODCALLTYPE AcquirePage(LONG index, IDispatch** page) override;
    HRESULT STDMETHODCALLTYPE OpenInViewer(BSTR title, IDispatch** viewer) override;
    HRESULT STDMETHODCALLTYPE Save(SHORT saveType, BSTR path, VARIANT_BOOL* result) override;

    // Why the last Open failed ("" after a successful one).
    const std::string& lastOpenFailure() const { return lastOpenFailure_; }

private:
    friend class ComObject<PDDocumentObject, IPDDocument>;
    PDDocumentObject() = default;

    EngineDocument& openDocument() const;

    std::shared_ptr<EngineDocument> document_;
    std::string lastOpenFailure_;
};

} // namespace paginor::engine
