// Which font a field's appearance draws with: the one its /DA names from the
// form's /DR when that font can show every character, otherwise installed
// fonts embedded as subsets.
#pragma once

#include "appearance_font.h"
#include "da_parser.h"
#include "form_font_cache.h"

#include <memory>
#include <string>
#include <vector>

namespace paginor::engine::forms {

struct VariableTextStyle {
    DefaultAppearance appearance;
    int quadding = 0; // 0 left, 1 centred, 2 right
};

// /DA and /Q from the widget, its field's ancestors, then the form.
VariableTextStyle variableTextStyle(QPDF& pdf, QPDFObjectHandle widget);

class FormContext;

// Throws std::runtime_error when no font at all can draw the texts. Form
// fonts are parsed through `fonts`, once per document.
std::unique_ptr<AppearanceFont> selectAppearanceFont(FormContext& context, QPDFObjectHandle widget,
                                                     const DefaultAppearance& appearance,
                                                     const std::vector<std::u32string>& texts);

} // namespace paginor::engine::forms
