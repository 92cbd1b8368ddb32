#include "value_text.h"

#include "text_encoding/utf_conversion.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace fmx {

double NumberFromText(HostStringView text) {
    std::string digits;
    bool negative = false;
    bool sawDigit = false;
    bool sawPoint = false;
    for (FMX_UniChar c : text) {
        if (c >= '0' && c <= '9') {
            digits.push_back(static_cast<char>(c));
            sawDigit = true;
        } else if (c == '.' && !sawPoint) {
            digits.push_back('.');
            sawPoint = true;
        } else if (c == '-' && !sawDigit) {
            negative = true;
        }
    }
    if (!sawDigit) {
        return 0.0;
    }
    const double magnitude = std::strtod(digits.c_str(), nullptr);
    return negative ? -magnitude : magnitude;
}

HostString TextFromNumber(double value) {
    if (!std::isfinite(value)) {
        return Utf16FromAscii("?");
    }
    if (value == 0.0) {
        return Utf16FromAscii("0");
    }
    char buffer[400];
    const double magnitude = std::fabs(value);
    if (magnitude >= 1e15 || magnitude < 1e-15) {
        std::snprintf(buffer, sizeof buffer, "%.15g", value);
    } else {
        // 15 significant digits, counted from the first non-zero digit.
        const int leading = static_cast<int>(std::floor(std::log10(magnitude)));
        const int decimals = 14 - leading;
        std::snprintf(buffer, sizeof buffer, "%.*f", decimals < 0 ? 0 : decimals, value);
        std::string s(buffer);
        if (s.find('.') != std::string::npos) {
            while (!s.empty() && s.back() == '0') {
                s.pop_back();
            }
            if (!s.empty() && s.back() == '.') {
                s.pop_back();
            }
        }
        if (s == "-0") {
            s = "0";
        }
        return Utf16FromAscii(s);
    }
    return Utf16FromAscii(buffer);
}

HostString Utf16FromAscii(std::string_view text) {
    return HostString(text.begin(), text.end());
}

// Like fmcalc, the host gives every byte that does not begin a valid sequence
// its own replacement character.
HostString Utf16FromUtf8(std::string_view text) {
#if defined(_WIN32)
    const std::u16string units = paginor::Utf8ToUtf16(text, paginor::InvalidUtf8::ReplaceEachByte);
    return HostString(units.begin(), units.end());
#else
    return paginor::Utf8ToUtf16(text, paginor::InvalidUtf8::ReplaceEachByte);
#endif
}

} // namespace fmx
