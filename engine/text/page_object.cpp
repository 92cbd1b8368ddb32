#include "engine/text/page_object.h"

#include "engine/text/current_page_words.h"
#include "engine/text/highlight_ranges.h"
#include "engine/text/text_selection_object.h"

namespace paginor::text {

using engine::failCall;

HRESULT PageObject::CreateTextSelection(IDispatch* highlightList, IDispatch** selection) {
    return run([&] {
        if (selection == nullptr)
            failCall(E_POINTER, "A result pointer is null");
        *selection = nullptr;
        if (highlightList == nullptr)
            failCall(E_POINTER, "No highlight list was given for the text selection");
        const auto ranges = highlightListRanges(highlightList);
        if (!ranges)
            failCall(E_INVALIDARG, "The highlight list does not come from this PDF engine");
        auto created = TextSelectionObject::create(
            wordsInRanges(currentPageWords(document_, index_), *ranges));
        engine::handOut(created, selection);
        return S_OK;
    });
}

} // namespace paginor::text
