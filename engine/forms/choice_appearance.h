// Normal appearances for list boxes: the visible options, selected rows
// highlighted as the common viewers draw them.
#pragma once

#include "text_appearance.h"

#include <set>

namespace paginor::engine::forms {

WidgetAppearances buildListAppearances(FormContext& context, const FormField& field,
                                       const std::vector<std::u32string>& rows,
                                       const std::set<size_t>& selected);

} // namespace paginor::engine::forms
