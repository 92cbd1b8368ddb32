#include "value_text.h"

#include "text_encoding/utf_conversion.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace fmx {

double NumberFromText(std::u16string_view text) {
    std::string digits;
    bool negative = false;
    bool sawDigit = false;
    bool sawPoint = false;
    for (char16_t c : text) {
        if (c >= u'0' && c <= u'9') {
            digits.push_back(static_cast<char>(c));
            sawDigit = true;
        } else if (c == u'.' && !sawPoint) {
            digits.push_back('.');
            sawPoint = true;
        } else if (c == u'-' && !sawDigit) {
            negative = true;
        }
    }
    if (!sawDigit) {
        return 0.0;
    }
    const double magnitude = std::strtod(digits.c_str(), nullptr);
    return negative ? -magnitude : magnitude;
}

std::u16string TextFromNumber(double value) {
    if (!std::isfinite(value)) {
        return u"?";
    }
    if (value == 0.0) {
        return u"0";
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

std::u16string Utf16FromAscii(std::string_view text) {
    return std::u16string(text.begin(), text.end());
}

// Like fmcalc, the host gives every byte that does not begin a valid sequence
// its own replacement character.
std::u16string Utf16FromUtf8(std::string_view text) {
    return paginor::Utf8ToUtf16(text, paginor::InvalidUtf8::ReplaceEachByte);
}

} // namespace fmx
