// Conversions between the text encodings the form code meets: UTF-8 inside
// the library, UTF-16 at the automation boundary, code points for layout.
#pragma once

#include <string>
#include <string_view>

namespace paginor::forms {

// Malformed sequences decode to U+FFFD rather than failing: field values come
// from arbitrary files and must never stop a read.
std::u32string decodeUtf8(std::string_view utf8);
void appendUtf8(std::string& out, char32_t codePoint);
std::string encodeUtf8(std::u32string_view codePoints);

std::u16string utf8ToUtf16(std::string_view utf8);
std::string utf16ToUtf8(std::u16string_view utf16);

// Number of code points, which is what a field's maximum length counts.
size_t countCodePoints(std::string_view utf8);

} // namespace paginor::forms
