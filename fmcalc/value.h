// The calculator's value: text, number, date-time, or the error that stopped
// a calculation. Conversions between kinds follow what a database user
// expects (text "12.50" adds as 12.5, the number 3 reads as text "3").
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <variant>

namespace fmcalc {

struct DateTime {
    int year = 1;
    int month = 1;
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
    bool operator==(const DateTime&) const = default;
};

// Why a calculation produced no result, and where (offset in code points
// into the calculation's source).
struct CalcError {
    std::string message;
    std::size_t position = 0;
    bool operator==(const CalcError&) const = default;
};

class Value {
public:
    enum class Kind { Text, Number, DateTime, Error };

    Value() : data_(std::u16string()) {}
    static Value text(std::u16string t) { return Value(std::move(t)); }
    static Value number(double n) { return Value(n); }
    static Value boolean(bool b) { return Value(b ? 1.0 : 0.0); }
    static Value date_time(const DateTime& d) { return Value(d); }
    static Value error(std::string message, std::size_t position) {
        return Value(CalcError{std::move(message), position});
    }

    Kind kind() const { return static_cast<Kind>(data_.index()); }
    bool is_text() const { return kind() == Kind::Text; }
    bool is_number() const { return kind() == Kind::Number; }
    bool is_date_time() const { return kind() == Kind::DateTime; }
    bool is_error() const { return kind() == Kind::Error; }

    const std::u16string& text_value() const { return std::get<std::u16string>(data_); }
    double number_value() const { return std::get<double>(data_); }
    const DateTime& date_time_value() const { return std::get<DateTime>(data_); }
    const CalcError& error_value() const { return std::get<CalcError>(data_); }

    // Text form as a calculation sees it (GetAsText, &, Length...).
    std::u16string as_text() const;
    // Number for arithmetic: text without digits counts as 0.
    double as_number() const;
    // Number, or nothing when the value holds no digits at all.
    std::optional<double> as_optional_number() const;
    // A non-zero number is true; text is read as a number first.
    bool as_boolean() const;

    bool operator==(const Value&) const = default;

private:
    explicit Value(std::u16string t) : data_(std::move(t)) {}
    explicit Value(double n) : data_(n) {}
    explicit Value(const DateTime& d) : data_(d) {}
    explicit Value(CalcError e) : data_(std::move(e)) {}

    std::variant<std::u16string, double, DateTime, CalcError> data_;
};

// -2000, 2.5, 0.3 (15 significant digits, no trailing zeros, no exponent
// within a practical range).
std::string format_number(double n);
// "2020-03-15 10:15:20", or with 'T' as separator for JSON.
std::string format_date_time(const DateTime& d, char separator = ' ');
// Digits, the first decimal point and a minus sign before the first digit
// make the number; everything else is ignored. Nothing without digits.
std::optional<double> parse_number_in_text(std::u16string_view text);
// Seconds since 0001-01-01 00:00:00, so that dates compare and subtract as
// numbers.
double date_time_to_seconds(const DateTime& d);

} // namespace fmcalc
