// Normal appearances for text fields and combo boxes: the value drawn in the
// field's font and colour, sized, aligned, wrapped or spread over comb cells
// as the field asks.
#pragma once

#include "field_tree.h"
#include "form_context.h"
#include "widget_frame.h"

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
    std::vector<std::pair<QPDFObjectHandle, AppearanceDraft>>; // widget, its new /N

// New appearance streams, one per widget with a usable /Rect; nothing is
// attached to the widgets yet. Throws when no font can draw the text.
WidgetAppearances buildTextAppearances(FormContext& context, const FormField& field,
                                       const std::u32string& text, const TextBoxLayout& layout);

// Makes `draft` the widget's normal appearance (its only one): drawn into the
// widget's own /N stream when no other widget shows it, else into a new one.
void installNormalAppearance(FormContext& context, QPDFObjectHandle widget,
                             const AppearanceDraft& draft);

} // namespace paginor::engine::forms
