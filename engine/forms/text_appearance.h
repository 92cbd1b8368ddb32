// Normal appearances for text fields and combo boxes: the value drawn in the
// field's font and colour, sized, aligned, wrapped or spread over comb cells
// as the field asks.
#pragma once

#include "field_tree.h"
#include "form_font_cache.h"

#include <string>
#include <utility>
#include <vector>

namespace paginor::engine::forms {

struct TextBoxLayout {
    bool multiline = false;
    int combCells = 0; // > 0 for a comb field
};

// How a text field lays out its value: multi-line and comb flags, /MaxLen.
TextBoxLayout textBoxLayoutOf(const FormField& field);

// What a text field shows for a value (password fields show asterisks).
std::u32string shownText(const FormField& field, const std::u32string& value);

using WidgetAppearances =
    std::vector<std::pair<QPDFObjectHandle, QPDFObjectHandle>>; // widget, /N stream

// New appearance streams, one per widget with a usable /Rect; nothing is
// attached to the widgets yet. Throws when no font can draw the text.
WidgetAppearances buildTextAppearances(QPDF& pdf, const FormField& field,
                                       const std::u32string& text, const TextBoxLayout& layout,
                                       FormFontCache& fonts);

} // namespace paginor::engine::forms
