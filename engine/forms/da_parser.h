// The default appearance string (/DA) of a variable-text field: which font
// resource, what size (0 means fit the box) and which colour.
#pragma once

#include <string>

namespace paginor::engine::forms {

struct DefaultAppearance {
    std::string fontName; // resource name without the slash; empty if none
    double fontSize = 0;
    std::string colorOperator = "0 g"; // a complete fill-colour operation
};

// Unknown operators are ignored; a string without Tf leaves the font empty.
DefaultAppearance parseDefaultAppearance(const std::string& da);

} // namespace paginor::engine::forms
