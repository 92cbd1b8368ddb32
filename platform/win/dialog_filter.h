// The file-type filter text of the framework's file dialog:
// "Name|pattern[;pattern]|Name|pattern...", optionally ended by "||".
#pragma once

#include "win/wide_string.h"

#include <string>
#include <string_view>
#include <vector>

namespace paginor::win {

struct DialogFileFilter {
    WideString name;
    std::vector<WideString> patterns;
};

// Pairs of display name and patterns, in order, up to the first empty field
// ("||" ends the list); a name without patterns is dropped.
std::vector<DialogFileFilter> ParseDialogFilter(WideStringView filter);

// The same filter as the common file dialog takes it: each display name and
// its patterns (joined by ';'), every one ended by a NUL, and one more NUL
// after the last. No usable pair gives an empty text: no filter at all.
WideString CommonDialogFilter(WideStringView filter);

} // namespace paginor::win
