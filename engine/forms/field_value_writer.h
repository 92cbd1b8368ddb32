// Writing a field's value: check it against what the field accepts, redraw
// the field's widgets, then change /V and the widgets together. A refused or
// failed write changes nothing.
#pragma once

#include "field_tree.h"
#include "form_context.h"

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
// whose data would otherwise contradict the fields; a form under a
// usage-rights signature keeps it and has the value written into its data.
// Every object changed is marked in the context's change record.
WriteResult writeFieldValue(FormContext& context, const FormField& field, const std::string& value);
// A write to a document of its own (tests): changes recorded and forgotten.
WriteResult writeFieldValue(QPDF& pdf, const FormField& field, const std::string& value);

} // namespace paginor::engine::forms
