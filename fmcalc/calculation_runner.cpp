#include "calculation_runner.h"

#include "json_output.h"
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

bool CalculationRunner::run(const SourceCalculation& calculation, const std::string& origin,
                            const std::string& context) {
    if (!first_ && between_)
        between_();
    first_ = false;
    const Value result = evaluator_.evaluate(calculation.text);
    if (result.is_error()) {
        const SourcePosition where = locate(calculation, result.error_value().position);
        const std::string message = origin + ":" + std::to_string(where.line) + ":" +
                                    std::to_string(where.column) + ": " +
                                    result.error_value().message + context;
        report(message);
        if (format_ == OutputFormat::Json)
            out_ << json_result(Value::error(message, 0)) << '\n';
        out_.flush();
        return false;
    }
    out_ << (format_ == OutputFormat::Json ? json_result(result) : plain_result(result)) << '\n';
    out_.flush();
    return true;
}

void CalculationRunner::report(const std::string& message) {
    err_ << "fmcalc: " << message << '\n';
    err_.flush();
}

} // namespace fmcalc
