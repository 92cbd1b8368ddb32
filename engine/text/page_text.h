// The words of one page in a single buffer, as the word assembly produces
// them: one allocation per page instead of one per word.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace paginor::engine::text {

struct PageText {
    struct Word {
        std::size_t first = 0; // into `characters`
        std::size_t length = 0;
        bool endsLine = false; // followed by "\r\n" rather than " "
    };

    std::u16string characters;
    std::vector<Word> words;

    std::u16string_view textOf(const Word& word) const {
        return std::u16string_view(characters).substr(word.first, word.length);
    }
    static std::u16string_view separatorOf(const Word& word) {
        return word.endsLine ? u"\r\n" : u" ";
    }
};

} // namespace paginor::engine::text
