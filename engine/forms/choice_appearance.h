// Normal appearances for list boxes: the visible options, selected rows
// highlighted as the common viewers draw them.
#pragma once

#include "text_appearance.h"

#include <set>

namespace paginor::engine::forms {

WidgetAppearances buildListAppearances(QPDF& pdf, const FormField& field,
                                       const std::vector<std::u32string>& rows,
                                       const std::set<size_t>& selected, FormFontCache& fonts);

} // namespace paginor::engine::forms
