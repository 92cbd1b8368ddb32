// Word ranges of a highlight list and how a selection picks words with them.
#pragma once

#include "com/com.h"
#include "engine/text/page_word.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace paginor::text {

// Offset and length count words; a length of 0xFFFF reaches the page's end.
struct HighlightRange {
    std::uint16_t offset = 0;
    std::uint16_t length = 0;
};

constexpr std::uint16_t kToEndOfPage = 0xFFFF;

// The ranges added to the engine's highlight list behind `list`; nullopt
// when `list` is not one of the engine's highlight lists.
std::optional<std::vector<HighlightRange>> highlightListRanges(IUnknown* list);

// The words any range covers, each once, in reading order.
std::vector<PageWord> wordsInRanges(const std::vector<PageWord>& words,
                                    const std::vector<HighlightRange>& ranges);

} // namespace paginor::text
