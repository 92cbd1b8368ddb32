#include "support/json_value.h"

#include <qpdf/JSON.hh>

#include <cstdlib>
#include <exception>

namespace paginor::test_support {

struct JsonConverter {
    static JsonValue convert(const JSON& json) {
        JsonValue value;
        std::string scalar;
        bool flag = false;
        if (json.isDictionary()) {
            value.kind_ = JsonValue::Kind::Object;
            json.forEachDictItem([&](const std::string& key, JSON item) {
                value.members_.emplace(key, convert(item));
            });
        } else if (json.isArray()) {
            value.kind_ = JsonValue::Kind::Array;
            json.forEachArrayItem([&](JSON item) { value.items_.push_back(convert(item)); });
        } else if (json.getString(scalar)) {
            value.kind_ = JsonValue::Kind::String;
            value.text_ = scalar;
        } else if (json.getNumber(scalar)) {
            value.kind_ = JsonValue::Kind::Number;
            value.text_ = scalar;
        } else if (json.getBool(flag)) {
            value.kind_ = JsonValue::Kind::Bool;
            value.text_ = flag ? "true" : "false";
        }
        return value;
    }
};

std::optional<JsonValue> JsonValue::parse(const std::string& text) {
    try {
        return JsonConverter::convert(JSON::parse(text));
    } catch (const std::exception&) {
        return std::nullopt;
    }
}

double JsonValue::number() const {
    return kind_ == Kind::Number ? std::strtod(text_.c_str(), nullptr) : 0.0;
}

const JsonValue& JsonValue::operator[](const std::string& key) const {
    static const JsonValue null;
    auto found = members_.find(key);
    return found == members_.end() ? null : found->second;
}

} // namespace paginor::test_support
