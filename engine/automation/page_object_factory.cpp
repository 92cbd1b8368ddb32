#include "engine/automation/page_object_factory.h"

#include "engine/automation/guarded_call.h"
#include "engine/automation/page_object.h"
#include "engine/document/engine_document.h"
#include "engine/text/current_page_words.h"

namespace paginor::engine {

HRESULT createPageObject(std::shared_ptr<EngineDocument> document, LONG index, IDispatch** page) {
    return guardedCall(IID_IPDDocument, [&] {
        if (page == nullptr)
            failCall(E_POINTER, "A result pointer is null");
        *page = nullptr;
        if (!document)
            failCall(E_UNEXPECTED, "No PDF file is open in this document object");
        const int pageCount = document->pageCount();
        if (index < 0 || index >= pageCount)
            failCall(DISP_E_BADINDEX, text::pageOutOfRangeDescription(index, pageCount));
        handOut(PageObject::create(std::move(document), index), page);
        return S_OK;
    });
}

} // namespace paginor::engine
