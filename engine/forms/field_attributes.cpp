#include "field_attributes.h"

#include <set>

namespace paginor::engine::forms {

namespace {
constexpr int kMaxDepth = 64;
}

QPDFObjectHandle inheritedAttribute(QPDFObjectHandle field, const std::string& key) {
    std::set<QPDFObjGen> seen;
    QPDFObjectHandle node = field;
    for (int depth = 0; depth < kMaxDepth && node.isDictionary(); ++depth) {
        if (node.isIndirect() && !seen.insert(node.getObjGen()).second) {
            break;
        }
        if (node.hasKey(key)) {
            QPDFObjectHandle value = node.getKey(key);
            if (!value.isNull()) {
                return value;
            }
        }
        node = node.getKey("/Parent");
    }
    return QPDFObjectHandle::newNull();
}

uint32_t fieldFlags(QPDFObjectHandle field) {
    QPDFObjectHandle flags = inheritedAttribute(field, "/Ff");
    if (flags.isInteger()) {
        return static_cast<uint32_t>(flags.getIntValue() & 0xFFFFFFFF);
    }
    if (flags.isReal()) {
        return static_cast<uint32_t>(static_cast<long long>(flags.getNumericValue()) & 0xFFFFFFFF);
    }
    return 0;
}

FieldKind classifyField(QPDFObjectHandle field, bool terminal) {
    if (!terminal) {
        return FieldKind::Group;
    }
    QPDFObjectHandle type = inheritedAttribute(field, "/FT");
    if (!type.isName()) {
        return FieldKind::Unknown;
    }
    const std::string name = type.getName();
    const uint32_t flags = fieldFlags(field);
    if (name == "/Tx") {
        return FieldKind::Text;
    }
    if (name == "/Sig") {
        return FieldKind::Signature;
    }
    if (name == "/Ch") {
        return (flags & field_flag::Combo) ? FieldKind::ComboBox : FieldKind::ListBox;
    }
    if (name == "/Btn") {
        if (flags & field_flag::Pushbutton) {
            return FieldKind::PushButton;
        }
        return (flags & field_flag::Radio) ? FieldKind::RadioButton : FieldKind::CheckBox;
    }
    return FieldKind::Unknown;
}

int inheritedInteger(QPDFObjectHandle field, const std::string& key, int fallback) {
    QPDFObjectHandle value = inheritedAttribute(field, key);
    if (value.isNumber()) {
        const double number = value.getNumericValue();
        if (number > -1e9 && number < 1e9) {
            return static_cast<int>(number);
        }
    }
    return fallback;
}

} // namespace paginor::engine::forms
