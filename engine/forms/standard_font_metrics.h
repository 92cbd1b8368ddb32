// Advance widths of the standard fonts that forms name without embedding or
// listing widths (Helvetica above all), so text can be measured and placed.
#pragma once

#include <string>

namespace paginor::engine::forms {

enum class StandardFamily { Helvetica, Times, Courier };

StandardFamily standardFamilyOf(const std::string& baseFont);

// Width in thousandths of the font size; an average width for characters
// outside the table.
double standardGlyphWidth(StandardFamily family, char32_t character);

double standardAscent(StandardFamily family);
double standardDescent(StandardFamily family);

} // namespace paginor::engine::forms
