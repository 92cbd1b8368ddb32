#include "engine/text/words_in_ranges.h"

#include <algorithm>

namespace paginor::engine::text {

std::vector<PageWord> wordsInRanges(std::vector<PageWord> words,
                                    const std::vector<HighlightRange>& ranges) {
    std::vector<bool> chosen(words.size(), false);
    for (const auto& range : ranges) {
        const std::size_t first = std::min<std::size_t>(range.offset, words.size());
        const std::size_t end =
            range.toEndOfPage() ? words.size() : std::min(words.size(), first + range.length);
        std::fill(chosen.begin() + static_cast<std::ptrdiff_t>(first),
                  chosen.begin() + static_cast<std::ptrdiff_t>(end), true);
    }
    if (std::all_of(chosen.begin(), chosen.end(), [](bool c) { return c; }))
        return words; // the whole page, as the plug-in always asks
    std::vector<PageWord> selected;
    for (std::size_t i = 0; i < words.size(); ++i)
        if (chosen[i])
            selected.push_back(std::move(words[i]));
    return selected;
}

} // namespace paginor::engine::text
