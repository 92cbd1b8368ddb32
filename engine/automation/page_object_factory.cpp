#include "engine/automation/page_object_factory.h"

#include "engine/automation/guarded_call.h"
#include "engine/automation/page_object.h"
#include "engine/document/engine_document.h"
#include "engine/text/current_page_words.h"

HRESULT CreatePageObject(std::shared_ptr<EngineDocument> doc, LONG index, IDispatch** page) {
    using namespace paginor;
    return engine::guardedCall(IID_IPDDocument, [&] {
        if (page == nullptr)
            engine::failCall(E_POINTER, "A result pointer is null");
        *page = nullptr;
        if (!doc)
            engine::failCall(E_UNEXPECTED, "No PDF file is open in this document object");
        const int pageCount = doc->pageCount();
        if (index < 0 || index >= pageCount)
            engine::failCall(DISP_E_BADINDEX, text::pageOutOfRangeDescription(index, pageCount));
        engine::handOut(text::PageObject::create(std::move(doc), index), page);
        return S_OK;
    });
}
