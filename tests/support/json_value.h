// A parsed JSON document that can be looked into by key and index (qpdf's
// parser only walks its values with callbacks).
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace paginor::test_support {

class JsonValue {
public:
    enum class Kind { Null, Bool, Number, String, Array, Object };

    // Parses `text`; nullopt when it is not JSON.
    static std::optional<JsonValue> parse(const std::string& text);

    Kind kind() const { return kind_; }
    bool isNull() const { return kind_ == Kind::Null; }
    bool isString() const { return kind_ == Kind::String; }
    bool isArray() const { return kind_ == Kind::Array; }
    bool isObject() const { return kind_ == Kind::Object; }

    // The string, the number as written, or "true"/"false"; empty otherwise.
    const std::string& text() const { return text_; }
    double number() const;
    bool boolean() const { return kind_ == Kind::Bool && text_ == "true"; }

    const std::vector<JsonValue>& items() const { return items_; }
    const std::map<std::string, JsonValue>& members() const { return members_; }
    bool has(const std::string& key) const { return members_.count(key) != 0; }
    // The member or a shared null value.
    const JsonValue& operator[](const std::string& key) const;

private:
    Kind kind_ = Kind::Null;
    std::string text_;
    std::vector<JsonValue> items_;
    std::map<std::string, JsonValue> members_;

    friend struct JsonConverter;
};

} // namespace paginor::test_support
