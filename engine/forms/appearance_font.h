// A font an appearance stream draws with. Text is shaped first (to measure it
// and fit it into the box), the font objects are written once every text of
// the field has been shaped, then the shaped texts are drawn.
#pragma once

#include "visual_order.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFObjectHandle.hh>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace paginor::engine::forms {

class FormContext;

// Distances are in thousandths of the font size.
struct ShapedGlyph {
    uint32_t glyph = 0;
    double advance = 0;
    double xOffset = 0;
    double yOffset = 0;
};

struct ShapedRun {
    size_t face = 0;                 // which of the font's faces draws the run
    std::vector<ShapedGlyph> glyphs; // in visual order
    std::string codes;               // single-byte codes for a simple font
    double width = 0;
};

struct ShapedText {
    std::vector<ShapedRun> runs; // in visual order
    double width = 0;
};

class AppearanceFont {
public:
    virtual ~AppearanceFont() = default;

    // Shapes one line of text (in logical order) into runs and glyphs in the
    // order they are drawn, left to right, for a line of a paragraph of
    // direction `base`.
    virtual ShapedText shape(std::u32string_view text, TextDirection base) = 0;
    // The same for a line that is a paragraph of its own (and for measuring).
    ShapedText shape(std::u32string_view text) { return shape(text, paragraphDirection(text)); }
    virtual double ascent() const = 0;  // above the baseline, positive
    virtual double descent() const = 0; // below the baseline, negative

    // Writes the font objects the shaped texts need and adds them to the
    // appearance's /Font resource dictionary.
    virtual void finish(FormContext& context, QPDFObjectHandle fontResources) = 0;

    // Operators (size selection included) that show the text at the current
    // text position; only valid after finish().
    virtual std::string show(const ShapedText& text, double size) const = 0;
};

} // namespace paginor::engine::forms
