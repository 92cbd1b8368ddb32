// Breaking field text into lines and fitting it to a box.
#pragma once

#include "appearance_font.h"

#include <string>
#include <vector>

namespace paginor::engine::forms {

// Paragraphs split at CR, LF or CR LF; tabs become spaces and other control
// characters are dropped (they have no glyph and would show as boxes).
std::vector<std::u32string> splitParagraphs(const std::u32string& text);

// One paragraph cut at its line-break opportunities as ICU finds them (after
// spaces and hyphens, around CJK characters, between the words of Thai and
// other scripts written without spaces), each piece measured once so that
// wrapping at several trial sizes costs no reshaping. Pieces are in logical
// order; drawing order is a matter for each line once it is broken.
struct WrapPieces {
    std::vector<std::u32string> text;
    std::vector<double> width;    // including trailing spaces
    std::vector<double> inkWidth; // without trailing spaces
};
WrapPieces cutForWrapping(AppearanceFont& font, const std::u32string& paragraph);

// Greedy line filling; widths in thousandths of the font size. A piece wider
// than a whole line is cut between letters (grapheme clusters).
std::vector<std::u32string> wrapPieces(AppearanceFont& font, const WrapPieces& pieces,
                                       double maxWidth);

// Line height as a multiple of the font size.
double lineHeightFactor(const AppearanceFont& font);

} // namespace paginor::engine::forms
