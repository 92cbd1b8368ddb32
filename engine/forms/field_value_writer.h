// Writing a field's value: check it against what the field accepts, redraw
// the field's widgets, then change /V and the widgets together. A refused or
// failed write changes nothing.
#pragma once

#include "field_tree.h"
#include "form_font_cache.h"

#include <string>

namespace paginor::engine::forms {

struct WriteResult {
    bool ok = true;
    std::string description; // UTF-8; says why and what the field accepts
};

// Text fields take any text within /MaxLen; check boxes an on-state, "Off" or
// ""; radio groups one button's on-state, "Off" or ""; combo boxes an option
// (any text when editable); list boxes an option or, when multi-select,
// options separated by "\r". The first write removes a hybrid form's /XFA,
// whose data would otherwise contradict the fields.
// `fonts` keeps the form's parsed fonts between writes to the same document.
WriteResult writeFieldValue(QPDF& pdf, const FormField& field, const std::string& value,
                            FormFontCache& fonts);
WriteResult writeFieldValue(QPDF& pdf, const FormField& field, const std::string& value);

} // namespace paginor::engine::forms
