// A word of a page as the text selection hands it out.
#pragma once

#include <string>

namespace paginor::engine::text {

struct PageWord {
    std::u16string text;
    std::u16string separator; // " " between words of a line, "\r\n" after a line's last word

    bool operator==(const PageWord&) const = default;
};

} // namespace paginor::engine::text
