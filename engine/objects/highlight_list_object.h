// "AcroExch.HiliteList": word ranges on a page, in the order they were added.
// The text part reads them when it builds a text selection.
#pragma once

#include "automation_contract/automation_values.h"
#include "engine/com_support/com_object.h"
#include "engine/objects/class_ids.h"

#include <cstdint>
#include <vector>

namespace paginor::engine {

struct HighlightRange {
    std::uint16_t offset; // index of the first word
    std::uint16_t length; // number of words, or kHighlightToEndOfPage taken unsigned

    bool toEndOfPage() const { return length == static_cast<std::uint16_t>(kHighlightToEndOfPage); }
    bool operator==(const HighlightRange&) const = default;
};

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
