// The left-to-right order in which one line of a field's text is drawn, by
// the Unicode bidirectional algorithm (ICU's ubidi): right-to-left runs
// (Hebrew, Arabic) read from the right, numbers and Latin words inside them
// keep their own order. Lines are broken first; each line is then reordered
// with the direction of the paragraph it belongs to.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace paginor::engine::forms {

enum class TextDirection { LeftToRight, RightToLeft };

// The direction of a paragraph: that of its first strong letter, left to
// right when it has none.
TextDirection paragraphDirection(std::u32string_view paragraph);

// Characters [start, start + length) of a line, all drawn in one direction.
struct DirectionalRun {
    std::size_t start = 0;
    std::size_t length = 0;
    bool rightToLeft = false;
};

// The runs of `line` (logical order) from left to right as drawn, for a line
// of a paragraph of direction `base`.
std::vector<DirectionalRun> visualRuns(std::u32string_view line, TextDirection base);

// `line` as drawn from left to right, character by character: right-to-left
// runs turned round, their brackets and quotation marks mirrored. For fonts
// drawn code by code, without a shaper.
std::u32string visualString(std::u32string_view line, TextDirection base);

} // namespace paginor::engine::forms
