// Messages on the terminal show what the user typed, but a control
// character of that input (an escape sequence, a carriage return, a bell)
// must not act on the terminal or rewrite the line it stands in: in messages
// they appear escaped.
#pragma once

#include <string>
#include <string_view>

namespace fmcalc {

// `utf8` with tab, carriage return and line feed as \t, \r and \n, the
// other C0 controls and DEL as \xHH, and the C1 controls (U+0080 to U+009F)
// as \u0080 to \u009F. Everything else, invalid UTF-8 included, is kept.
std::string escape_control_characters(std::string_view utf8);

} // namespace fmcalc
