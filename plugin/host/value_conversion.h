// Conversions between the host's parameter and result objects and the
// plug-in's wide strings and numbers. Host failures surface as exceptions
// (see host_objects.h); the script-function frame contains them.
#pragma once

#include "fmx/fmx.h"
#include "host/host_objects.h"
#include "win/wide_string.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

std::uint32_t ParamCount(const FMX_DataVect* parameters);
// The parameter as a wide string; an empty parameter gives no string.
std::optional<WideString> ParamAsWide(const FMX_DataVect* parameters, std::uint32_t index);
// The parameter as the host's number, truncated by the host to 32 bits.
std::int32_t ParamAsLong(const FMX_DataVect* parameters, std::uint32_t index);
// The host's own yes/no reading of the parameter.
bool ParamAsBool(const FMX_DataVect* parameters, std::uint32_t index);

enum class YesNo { Yes, No, Invalid };
// "TRUE" "1" "YES" "ON" "Y" / "FALSE" "0" "NO" "N" "OFF", any case, whole text.
YesNo ParseYesNoWord(WideStringView text);
// What callers return for YesNo::Invalid.
inline constexpr WideStringView kInvalidArgumentText = OLESTR("!!ERROR!! Invalid argument");

// The C library's wide-string-to-long rule for decimal text: leading white
// space skipped, an optional sign, then the digits up to the first other
// character; no digits gives 0. Saturates at the 32-bit limits.
std::int32_t WideToLong(WideStringView text);

// Case-insensitive equality of wide strings (simple case folding of the
// Basic Latin and Latin-1 letters).
bool EqualsIgnoringCase(WideStringView a, WideStringView b);

void SetTextResult(FMX_Data* result, HostText& output, WideStringView text);
void SetNumberResult(FMX_Data* result, std::int32_t value);
void SetDateResult(FMX_Data* result, std::int16_t year, std::int16_t month, std::int16_t day,
                   std::int16_t hour, std::int16_t minute, std::int16_t second);
