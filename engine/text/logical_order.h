// From the order a line is drawn in to the order a reader types it.
#pragma once

#include <string>
#include <string_view>

namespace paginor::engine::text {

// Reorders one line from visual order (left to right along the text
// direction) into logical order with the Unicode bidirectional algorithm run
// backwards (ICU's inverse reordering, numbers kept left to right): a line
// with more right-to-left than left-to-right letters reads as a right-to-left
// paragraph, right-to-left runs are turned round, and the brackets and
// quotation marks inside them become their mirror images, so a parenthesised
// Arabic word drawn as "(", letters, ")" reads U+0028, letters, U+0029 -
// unless the page named its glyphs by the characters typed, which shows as
// brackets that pair only without mirroring.
std::u32string visualToLogical(std::u32string_view visualLine);

} // namespace paginor::engine::text
