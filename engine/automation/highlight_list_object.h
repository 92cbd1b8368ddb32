// "AcroExch.HiliteList": word ranges on a page, in the order they were added.
// The text part reads them when it builds a text selection.
#pragma once

#include "engine/automation/class_ids.h"
#include "engine/automation/com_object.h"
#include "engine/text/highlight_range.h"

#include <vector>

namespace paginor::engine {

using text::HighlightRange;

class HighlightListObject final : public ComObject<HighlightListObject, IHighlightList> {
public:
    static constexpr const CLSID& kClassId = CLSID_EngineHighlightList;

    // The engine's highlight list behind `object`, or null.
    static HighlightListObject* fromDispatch(IUnknown* object);

    HRESULT STDMETHODCALLTYPE Add(SHORT offset, SHORT length, VARIANT_BOOL* result) override;

    const std::vector<HighlightRange>& ranges() const { return ranges_; }

private:
    friend class ComObject<HighlightListObject, IHighlightList>;
    HighlightListObject() = default;

    std::vector<HighlightRange> ranges_;
};

} // namespace paginor::engine
