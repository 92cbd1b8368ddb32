#include "engine/automation/pd_document_object.h"

#include "engine/automation/bstr_text.h"
#include "engine/automation/operation_not_done.h"
#include "engine/automation/page_object_factory.h"
#include "engine/automation/viewer_document_object.h"
#include "engine/document/engine_document.h"

#include <string>

namespace paginor::engine {

namespace {

template <typename T> T& outParameter(T* out, T initial) {
    if (out == nullptr) {
        failCall(E_POINTER, "A result pointer is null");
    }
    *out = initial;
    return *out;
}

VARIANT_BOOL answer(bool value) {
    return value ? VARIANT_TRUE : VARIANT_FALSE;
}

} // namespace

PDDocumentObject* PDDocumentObject::fromDispatch(IUnknown* object) {
    if (object == nullptr) {
        return nullptr;
    }
    ComPtr<IPDDocument> document;
    if (FAILED(object->QueryInterface(IID_IPDDocument, document.put_void()))) {
        return nullptr;
    }
    return dynamic_cast<PDDocumentObject*>(document.get());
}

EngineDocument& PDDocumentObject::openDocument() const {
    if (!document_) {
        failCall(E_UNEXPECTED, "No PDF file is open in this document object");
    }
    return *document_;
}

HRESULT PDDocumentObject::Open(BSTR path, VARIANT_BOOL* result) {
    return run([&] {
        auto& answerSlot = outParameter(result, VARIANT_FALSE);
        document_.reset();
        try {
            document_ = EngineDocument::load(utf8FromBstr(path));
            lastOpenFailure_.clear();
        } catch (const DocumentLoadError& error) {
            lastOpenFailure_ = error.what();
            failNotDone(lastOpenFailure_);
        } catch (const std::bad_alloc&) {
            lastOpenFailure_ = "Out of memory while opening " + utf8FromBstr(path);
            failNotDone(lastOpenFailure_);
        }
        answerSlot = answer(document_ != nullptr);
        return S_OK;
    });
}

HRESULT PDDocumentObject::Close(VARIANT_BOOL* result) {
    return run([&] {
        auto& answerSlot = outParameter(result, VARIANT_FALSE);
        document_.reset();
        answerSlot = VARIANT_TRUE;
        return S_OK;
    });
}

HRESULT PDDocumentObject::InsertPages(LONG afterPage, IDispatch* source, LONG startPage,
                                      LONG numPages, LONG bookmarks, VARIANT_BOOL* result) {
    return run([&] {
        auto& answerSlot = outParameter(result, VARIANT_FALSE);
        EngineDocument& target = openDocument();
        PDDocumentObject* sourceObject = fromDispatch(source);
        if (source != nullptr && sourceObject == nullptr) {
            failCall(E_INVALIDARG, "The source document does not belong to this PDF engine");
        }
        if (sourceObject == nullptr || !sourceObject->document_) {
            return S_OK; // no source, or one that is not open: false
        }
        answerSlot = answer(notDoneOnCoreError([&] {
            return target.insertPages(afterPage, *sourceObject->document_, startPage, numPages,
                                      bookmarks != 0);
        }));
        return S_OK;
    });
}

HRESULT PDDocumentObject::DeletePages(LONG first, LONG last, VARIANT_BOOL* result) {
    return run([&] {
        auto& answerSlot = outParameter(result, VARIANT_FALSE);
        EngineDocument& document = openDocument();
        notDoneOnCoreError([&] { document.deletePages(first, last); });
        answerSlot = VARIANT_TRUE;
        return S_OK;
    });
}

HRESULT PDDocumentObject::GetNumPages(LONG* count) {
    return run([&] {
        auto& countSlot = outParameter(count, LONG{0});
        countSlot = openDocument().pageCount();
        return S_OK;
    });
}

HRESULT PDDocumentObject::GetInfo(BSTR key, BSTR* value) {
    return run([&] {
        auto& valueSlot = outParameter(value, BSTR{nullptr});
        const std::string text = openDocument().infoEntry(utf8FromBstr(key));
        valueSlot = bstrFromUtf8(text);
        return S_OK;
    });
}

HRESULT PDDocumentObject::SetInfo(BSTR key, BSTR value, VARIANT_BOOL* result) {
    return run([&] {
        auto& answerSlot = outParameter(result, VARIANT_FALSE);
        answerSlot = answer(openDocument().setInfoEntry(utf8FromBstr(key), utf8FromBstr(value)));
        return S_OK;
    });
}

HRESULT PDDocumentObject::AcquirePage(LONG index, IDispatch** page) {
    return run([&] {
        outParameter(page, static_cast<IDispatch*>(nullptr));
        openDocument();
        return createPageObject(document_, index, page);
    });
}

HRESULT PDDocumentObject::OpenInViewer(BSTR title, IDispatch** viewer) {
    return run([&] {
        outParameter(viewer, static_cast<IDispatch*>(nullptr));
        openDocument();
        auto created =
            ViewerDocumentObject::open(ComPtr<PDDocumentObject>(this), utf8FromBstr(title));
        handOut(created, viewer);
        return S_OK;
    });
}

HRESULT PDDocumentObject::Save(SHORT saveType, BSTR path, VARIANT_BOOL* result) {
    return run([&] {
        auto& answerSlot = outParameter(result, VARIANT_FALSE);
        openDocument().save(saveType, utf8FromBstr(path));
        answerSlot = VARIANT_TRUE;
        return S_OK;
    });
}

} // namespace paginor::engine
