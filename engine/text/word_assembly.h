// Turns the word boxes a PDF text layer yields (in its reading order, each
// word in the order its glyphs were drawn) into words in logical order, each
// followed by its separator. Free of any PDF library, so the geometry rules
// can be exercised directly.
#pragma once

#include "logical_order.h"
#include "page_text.h"

#include <string>
#include <string_view>
#include <vector>

namespace paginor::engine::text {

// Page space, y growing downwards (as the extraction reports it).
struct BoxRect {
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
};

struct TextBox {
    std::size_t first = 0, length = 0; // its characters in PageBoxes::characters
    BoxRect bbox;
    int rotation = 0; // quarter turns of the text direction: 0 left to right, 1 downwards, ...
    bool spaceAfter = false; // the layer saw a space before the next box
    // The first and last character's boxes, when known: they tell in which
    // direction the glyphs were drawn.
    bool glyphsKnown = false;
    BoxRect firstGlyph, lastGlyph;
};

// A page's boxes with all their characters in one buffer.
struct PageBoxes {
    std::u32string characters;
    std::vector<TextBox> boxes;

    std::u32string_view textOf(const TextBox& box) const {
        return std::u32string_view(characters).substr(box.first, box.length);
    }
};

// Replaces `text` with the words of `page`.
void assembleWords(const PageBoxes& page, PageText& text);

// Replaces ligatures and presentation forms (U+FB00-FDFF, U+FE70-FEFE) by
// their letters and drops zero-width no-break spaces.
std::u32string decomposePresentationForms(const std::u32string& word);

} // namespace paginor::engine::text
