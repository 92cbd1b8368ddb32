#include "engine/automation/page_object.h"

#include "engine/automation/highlight_list_object.h"
#include "engine/automation/text_selection_object.h"
#include "engine/text/current_page_words.h"
#include "engine/text/words_in_ranges.h"

namespace paginor::engine {

using engine::failCall;

HRESULT PageObject::CreateTextSelection(IDispatch* highlightList, IDispatch** selection) {
    return run([&] {
        if (selection == nullptr)
            failCall(E_POINTER, "A result pointer is null");
        *selection = nullptr;
        if (highlightList == nullptr)
            failCall(E_POINTER, "No highlight list was given for the text selection");
        const auto* list = engine::HighlightListObject::fromDispatch(highlightList);
        if (list == nullptr)
            failCall(E_INVALIDARG, "The highlight list does not come from this PDF engine");
        auto created = TextSelectionObject::create(
            text::wordsInRanges(text::currentPageWords(document_, index_), list->ranges()));
        engine::handOut(created, selection);
        return S_OK;
    });
}

} // namespace paginor::engine
