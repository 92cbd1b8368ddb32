// A field's value as text, inherited values included.
#pragma once

#include "field_tree.h"

#include <string>

namespace paginor::engine::forms {

// Text and combo fields: their text. Check boxes and radio groups: the chosen
// on-state name or "Off". List boxes: the selected options, "\r" between them.
std::string readFieldValue(const FormField& field);

} // namespace paginor::engine::forms
