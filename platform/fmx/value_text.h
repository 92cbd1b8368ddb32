// Conversions the host applies between its value kinds (text, number,
// date-time) and between UTF-8 and UTF-16. Rules are in README.md.
#pragma once

#include "fmx/fmx.h"

#include <string>
#include <string_view>

namespace fmx {

// Text as the host keeps it: UTF-16 in the platform's wide character.
using HostString = std::basic_string<FMX_UniChar>;
using HostStringView = std::basic_string_view<FMX_UniChar>;

// Reads text the way a database user expects: the digits in order, the first
// decimal point among them, negative when a '-' precedes the first digit.
// Text without digits is 0.
double NumberFromText(HostStringView text);

// Up to 15 significant digits, no exponent below 1e15, no trailing zeros.
HostString TextFromNumber(double value);

HostString Utf16FromUtf8(std::string_view text);
HostString Utf16FromAscii(std::string_view text);

} // namespace fmx
