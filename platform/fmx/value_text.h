// Conversions the host applies between its value kinds (text, number,
// date-time) and between UTF-8 and UTF-16. Rules are in README.md.
#pragma once

#include <string>
#include <string_view>

namespace fmx {

// Reads text the way a database user expects: the digits in order, the first
// decimal point among them, negative when a '-' precedes the first digit.
// Text without digits is 0.
double NumberFromText(std::u16string_view text);

// Up to 15 significant digits, no exponent below 1e15, no trailing zeros.
std::u16string TextFromNumber(double value);

std::u16string Utf16FromUtf8(std::string_view text);
std::u16string Utf16FromAscii(std::string_view text);

} // namespace fmx
