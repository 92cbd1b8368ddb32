// Metrics of the standard fonts that forms name without embedding them or
// listing their widths (Helvetica above all, ZapfDingbats for check marks),
// so text can be measured and placed. They come from the URW base-35 fonts,
// metric-compatible stand-ins for the standard 14, read with FreeType: every
// character they hold, bold and italic included.
#pragma once

#include <optional>
#include <string>

namespace paginor::engine::forms {

enum class StandardFamily { Helvetica, Times, Courier, Symbol, ZapfDingbats };

struct StandardFont {
    StandardFamily family = StandardFamily::Helvetica;
    bool bold = false;
    bool italic = false; // italic or oblique
};

// The standard font a /BaseFont or resource name stands for: the 14 names
// ("/Helvetica-BoldOblique"), their usual abbreviations ("/HeBo", "/TiRo",
// "/ZaDb") and the names Windows producers use for the same faces
// ("/Arial,Bold", "/TimesNewRomanPS-ItalicMT"). Anything else is Helvetica.
StandardFont standardFontOf(const std::string& name);

// Distances in thousandths of the font size.
struct StandardGlyph {
    double width = 0;
    double bottom = 0; // lowest point of the outline, from the baseline
    double top = 0;    // highest point of the outline
};

// The glyph for a Unicode character; nothing when the font has none or the
// URW fonts are not installed.
std::optional<StandardGlyph> standardGlyph(const StandardFont& font, char32_t character);

// The glyph for a code of the font's own encoding (Symbol, ZapfDingbats:
// "4" is ZapfDingbats' check mark).
std::optional<StandardGlyph> standardGlyphForCode(const StandardFont& font, unsigned char code);

// The advance width of a character: the font's own, or an average width of
// the family when it has none.
double standardGlyphWidth(const StandardFont& font, char32_t character);

double standardAscent(StandardFamily family);
double standardDescent(StandardFamily family);

} // namespace paginor::engine::forms
