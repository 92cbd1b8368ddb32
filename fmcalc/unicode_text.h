// UTF-8 / UTF-16 conversion and the case mapping the calculation functions use.
// The calculator keeps text as UTF-16, as the host does, so lengths and
// positions count UTF-16 code units.
#pragma once

#include <string>
#include <string_view>

namespace fmcalc {

// Invalid UTF-8 sequences become U+FFFD; nothing is dropped silently.
std::u16string utf8_to_utf16(std::string_view utf8);
// Unpaired surrogates become U+FFFD.
std::string utf16_to_utf8(std::u16string_view utf16);
std::u32string utf8_to_utf32(std::string_view utf8);
std::u16string utf32_to_utf16(std::u32string_view utf32);
std::u32string utf16_to_utf32(std::u16string_view utf16);

std::u16string to_upper(std::u16string_view text);
std::u16string to_lower(std::u16string_view text);
// Case-insensitive comparison key (simple lower-case mapping).
std::u16string fold_case(std::u16string_view text);
bool equals_ignoring_case(std::u16string_view a, std::u16string_view b);

} // namespace fmcalc
