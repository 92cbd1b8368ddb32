// A page of an open document (the PD document's AcquirePage). It reads the
// document as it stands when a selection is made, not when it was acquired.
#pragma once

#include "engine/automation/com_object.h"

#include <memory>

namespace paginor::engine {

class EngineDocument;

class PageObject final : public engine::ComObject<PageObject, IPDPage> {
public:
    LONG index() const { return index_; }

    // A selection of the words in the highlight list's ranges.
    HRESULT STDMETHODCALLTYPE CreateTextSelection(IDispatch* highlightList,
                                                  IDispatch** selection) override;

private:
    friend class engine::ComObject<PageObject, IPDPage>;
    PageObject(std::shared_ptr<EngineDocument> document, LONG index)
        : document_(std::move(document)), index_(index) {}

    std::shared_ptr<EngineDocument> document_;
    LONG index_;
};

} // namespace paginor::engine
