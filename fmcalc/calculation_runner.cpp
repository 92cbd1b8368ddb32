#include "calculation_runner.h"

#include "json_output.h"
#include "printable_text.h"
#include "unicode_text.h"

namespace fmcalc {

std::string plain_result(const Value& value) {
    switch (value.kind()) {
    case Value::Kind::Text: {
        std::string text = utf16_to_utf8(value.text_value());
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r') {
                if (i + 1 < text.size() && text[i + 1] == '\n')
                    text.erase(i, 1);
                else
                    text[i] = '\n';
            }
        }
        return text;
    }
    case Value::Kind::Number:
        return format_number(value.number_value());
    case Value::Kind::DateTime:
        return format_date_time(value.date_time_value());
    case Value::Kind::Error:
        break;
    }
    return value.error_value().message;
}

bool holds_error_text(const Value& value) {
    return value.is_text() && value.text_value().find(u"!!ERROR!!") != std::u16string::npos;
}

std::string CalculationOrigin::label() const {
    switch (kind) {
    case Kind::File:
        return file == "-" ? "stdin" : file;
    case Kind::Expression:
        return "-e[" + std::to_string(index) + "]";
    case Kind::Prompt:
        break;
    }
    return "input[" + std::to_string(index) + "]";
}

std::string CalculationOrigin::json_members(std::size_t line) const {
    switch (kind) {
    case Kind::File:
        return "\"file\":" + json_string(file) + ",\"line\":" + std::to_string(line);
    case Kind::Expression:
        return "\"e\":" + std::to_string(index);
    case Kind::Prompt:
        break;
    }
    return "\"input\":" + std::to_string(index);
}

namespace {

std::string location(const NamedCalculation& calc, std::size_t offset) {
    const SourcePosition where = locate(calc.calculation, offset);
    return calc.origin.label() + ":" + std::to_string(where.line) + ":" +
           std::to_string(where.column);
}

std::string source_json(const NamedCalculation& calc, const RowContext* row) {
    return "{" + calc.origin.json_members(calc.calculation.first_line) +
           (row ? row->json_members : std::string()) + "}";
}

// A calculation as a message names it: its first line, shortened.
std::string excerpt(const std::string& text) {
    std::string first = text.substr(0, text.find('\n'));
    const std::u32string chars = utf8_to_utf32(first);
    constexpr std::size_t limit = 60;
    if (chars.size() > limit || first.size() < text.size())
        first = utf16_to_utf8(utf32_to_utf16(chars.substr(0, limit))) + " …";
    return first;
}

} // namespace

Outcome CalculationRunner::run(const NamedCalculation& calculation, const RowContext* row) {
    if (!first_ && between_)
        between_();
    first_ = false;
    const std::string context = row ? row->label : std::string();
    const std::string source = source_json(calculation, row);

    // A calculation still open at its end (a missing ")" in a file takes in
    // every line after it) is reported where the open part starts, not at
    // the end of whatever it swallowed.
    Value result;
    if (const auto unclosed = find_unclosed_part(calculation.calculation.text)) {
        std::string message = "syntax error: " + unclosed->message;
        const SourcePosition start = locate(calculation.calculation, 0);
        const std::string& text = calculation.calculation.text;
        const std::size_t last = text.find_last_not_of(" \t\r\n");
        const SourcePosition end =
            locate(calculation.calculation,
                   last == std::string::npos ? 0 : utf8_to_utf32(text.substr(0, last)).size());
        if (end.line > start.line)
            message += " (the calculation runs on to line " + std::to_string(end.line) + ")";
        result = Value::error(std::move(message), unclosed->offset);
    } else {
        result = evaluator_.evaluate(calculation.calculation.text);
    }
    report_notices(calculation, row);

    if (result.is_error()) {
        const std::string message = location(calculation, result.error_value().position) + ": " +
                                    result.error_value().message + context;
        *err_ << "fmcalc: " << escape_control_characters(message) << '\n';
        err_->flush();
        if (format_ == OutputFormat::Json)
            *out_ << json_result(Value::error(message, 0), source) << '\n';
        out_->flush();
        return Outcome::NotEvaluated;
    }
    *out_ << (format_ == OutputFormat::Json ? json_result(result, source) : plain_result(result))
          << '\n';
    out_->flush();
    if (!holds_error_text(result))
        return Outcome::Result;
    if (strict_last_error_) {
        *err_ << "fmcalc: "
              << escape_control_characters(location(calculation, 0) + ": !!ERROR!! from " +
                                           excerpt(calculation.calculation.text) + context +
                                           "; last error " + strict_last_error_())
              << '\n';
        err_->flush();
    }
    return Outcome::ErrorResult;
}

void CalculationRunner::report_notices(const NamedCalculation& calculation, const RowContext* row) {
    if (!notices_)
        return;
    for (const Notice& notice : *notices_) {
        *err_ << "fmcalc: "
              << escape_control_characters(location(calculation, notice.position) + ": " +
                                           notice.message + (row ? row->label : std::string()))
              << '\n';
    }
    notices_->clear();
    err_->flush();
}

void CalculationRunner::report(const std::string& message, const std::string& json_source) {
    *err_ << "fmcalc: " << escape_control_characters(message) << '\n';
    err_->flush();
    if (format_ == OutputFormat::Json) {
        *out_ << json_result(Value::error(message, 0), json_source.empty() ? "{}" : json_source)
              << '\n';
        out_->flush();
    }
}

} // namespace fmcalc
