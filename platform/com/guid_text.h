// GUIDs in registry form: "{xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}".
#pragma once

#include "com/com.h"

#include <optional>
#include <string>
#include <string_view>

namespace paginor {

// Upper-case hex digits, braces included (38 characters).
std::u16string FormatGuid(const GUID& guid);
std::string FormatGuidUtf8(const GUID& guid);

// Accepts exactly the registry form, hex digits in either case; anything else
// (missing braces, wrong group lengths, stray characters) gives nothing.
std::optional<GUID> ParseGuid(std::u16string_view text);
std::optional<GUID> ParseGuid(std::string_view text);

} // namespace paginor
