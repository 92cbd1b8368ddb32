#include "value.h"

#include "unicode_text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace fmcalc {
namespace {

// Day number in the proleptic Gregorian calendar from a fixed epoch; only
// differences between two day numbers are used.
long long days_from_civil(long long y, long long m, long long d) {
    y -= m <= 2;
    const long long era = (y >= 0 ? y : y - 399) / 400;
    const long long yoe = y - era * 400;
    const long long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const long long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe;
}

} // namespace

std::string format_number(double n) {
    if (n == 0)
        return "0";
    if (!std::isfinite(n))
        return n > 0 ? "inf" : "-inf";
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.14e", n);
    // buf: [-]d.dddddddddddddde[+-]XX
    std::string text(buf);
    const bool negative = text[0] == '-';
    if (negative)
        text.erase(0, 1);
    const auto e = text.find('e');
    const int exponent = std::atoi(text.c_str() + e + 1);
    std::string digits = text.substr(0, 1) + text.substr(2, e - 2);
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();
    // Beyond this range plain digits stop being readable; the host's library
    // switches to exponent form at the same points.
    if (exponent >= 15 || exponent < -15) {
        std::snprintf(buf, sizeof buf, "%.15g", n);
        return buf;
    }
    std::string out;
    if (exponent >= 0) {
        const auto int_len = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= int_len) {
            out = digits + std::string(int_len - digits.size(), '0');
        } else {
            out = digits.substr(0, int_len) + "." + digits.substr(int_len);
        }
    } else {
        out = "0." + std::string(static_cast<std::size_t>(-exponent - 1), '0') + digits;
    }
    return negative ? "-" + out : out;
}

std::string format_date_time(const DateTime& d, char separator) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d%c%02d:%02d:%02d", d.year, d.month, d.day,
                  separator, d.hour, d.minute, d.second);
    return buf;
}

std::optional<double> parse_number_in_text(std::u16string_view text) {
    std::string digits;
    bool negative = false;
    bool seen_digit = false;
    bool seen_point = false;
    for (char16_t c : text) {
        if (c >= u'0' && c <= u'9') {
            digits += static_cast<char>(c);
            seen_digit = true;
        } else if (c == u'.' && !seen_point) {
            digits += '.';
            seen_point = true;
        } else if (c == u'-' && !seen_digit) {
            negative = true;
        }
    }
    if (!seen_digit)
        return std::nullopt;
    const double value = std::strtod(digits.c_str(), nullptr);
    return negative ? -value : value;
}

double date_time_to_seconds(const DateTime& d) {
    const long long days = days_from_civil(d.year, d.month, d.day) - days_from_civil(1, 1, 1);
    return static_cast<double>(days) * 86400.0 + d.hour * 3600.0 + d.minute * 60.0 + d.second;
}

std::u16string Value::as_text() const {
    switch (kind()) {
    case Kind::Text:
        return text_value();
    case Kind::Number:
        return utf8_to_utf16(format_number(number_value()));
    case Kind::DateTime:
        return utf8_to_utf16(format_date_time(date_time_value()));
    case Kind::Error:
        break;
    }
    return u"?";
}

std::optional<double> Value::as_optional_number() const {
    switch (kind()) {
    case Kind::Text:
        return parse_number_in_text(text_value());
    case Kind::Number:
        return number_value();
    case Kind::DateTime:
        return date_time_to_seconds(date_time_value());
    case Kind::Error:
        break;
    }
    return std::nullopt;
}

double Value::as_number() const {
    return as_optional_number().value_or(0.0);
}

bool Value::as_boolean() const {
    return as_number() != 0.0;
}

} // namespace fmcalc
