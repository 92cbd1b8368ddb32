// Turns tokens into a syntax tree. Precedence, lowest first: or, and, not,
// comparisons, &, + -, * /, ^, unary minus and plus.
#pragma once

#include "syntax_tree.h"

#include <string_view>

namespace fmcalc {

// Throws SyntaxError with the position of the offending token.
NodePtr parse_calculation(std::string_view utf8_source);

// Deeper nesting than this is refused rather than risking the stack.
inline constexpr int max_nesting_depth = 200;
// Long operator chains (1+1+1+...) build tall trees without deep parsing;
// evaluation recurses over the tree, so its height is bounded too.
inline constexpr int max_tree_height = 1000;

} // namespace fmcalc
