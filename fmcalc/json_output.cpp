#include "json_output.h"

#include "unicode_text.h"

#include <cstdio>

namespace fmcalc {

std::string json_string(std::string_view utf8) {
    std::string out = "\"";
    for (const char ch : utf8) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            } else {
                out += ch;
            }
        }
    }
    return out + "\"";
}

std::string json_result(const Value& value, std::string_view source) {
    const std::string tail =
        source.empty() ? std::string("}") : ",\"source\":" + std::string(source) + "}";
    switch (value.kind()) {
    case Value::Kind::Text:
        // Through UTF-16 and back so that unpaired surrogates cannot make
        // the output invalid UTF-8.
        return "{\"type\":\"text\",\"value\":" + json_string(utf16_to_utf8(value.text_value())) +
               tail;
    case Value::Kind::Number:
        return "{\"type\":\"number\",\"value\":" + format_number(value.number_value()) + tail;
    case Value::Kind::DateTime:
        return "{\"type\":\"date\",\"value\":\"" + format_date_time(value.date_time_value(), 'T') +
               "\"" + tail;
    case Value::Kind::Error:
        break;
    }
    return "{\"error\":" + json_string(value.error_value().message) + tail;
}

} // namespace fmcalc
