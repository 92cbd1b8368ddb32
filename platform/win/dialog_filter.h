// The file-type filter text of the framework's file dialog:
// "Name|pattern[;pattern]|Name|pattern...", optionally ended by "||".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace paginor::win {

struct DialogFileFilter {
    std::u16string name;
    std::vector<std::u16string> patterns;
};

// Pairs of display name and patterns, in order, up to the first empty field
// ("||" ends the list); a name without patterns is dropped.
std::vector<DialogFileFilter> ParseDialogFilter(std::u16string_view filter);

} // namespace paginor::win
