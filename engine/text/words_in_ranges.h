// Which words of a page a highlight list's ranges select.
#pragma once

#include "engine/text/highlight_range.h"
#include "engine/text/page_word.h"

#include <vector>

namespace paginor::engine::text {

// The words any range covers, each once, in reading order (moved out of
// `words`). Ranges reaching past the last word stop there.
std::vector<PageWord> wordsInRanges(std::vector<PageWord> words,
                                    const std::vector<HighlightRange>& ranges);

} // namespace paginor::engine::text
