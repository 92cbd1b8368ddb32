#include "field_value_reader.h"

#include "field_attributes.h"
#include "field_options.h"
#include "pdf_text_string.h"

namespace paginor::engine::forms {

namespace {

std::string buttonValue(const FormField& field) {
    QPDFObjectHandle value = inheritedAttribute(field.dictionary, "/V");
    if (value.isName() || value.isString()) {
        const std::string text = textOf(value);
        return text.empty() ? "Off" : text;
    }
    // No value recorded: the widgets' current states say what is shown.
    for (QPDFObjectHandle widget : field.widgets) {
        QPDFObjectHandle state = widget.getKey("/AS");
        if (state.isName() && state.getName() != "/Off") {
            return nameText(state.getName());
        }
    }
    return "Off";
}

std::string listValue(const FormField& field) {
    QPDFObjectHandle value = inheritedAttribute(field.dictionary, "/V");
    if (value.isArray()) {
        std::string joined;
        for (int i = 0; i < value.getArrayNItems(); ++i) {
            if (i > 0) {
                joined += '\r';
            }
            joined += textOf(value.getArrayItem(i));
        }
        return joined;
    }
    if (value.isString() || value.isName()) {
        return textOf(value);
    }
    // Some producers record only the selected indices.
    QPDFObjectHandle indices = inheritedAttribute(field.dictionary, "/I");
    if (!indices.isArray()) {
        return {};
    }
    const std::vector<ChoiceOption> options = choiceOptions(field);
    std::string joined;
    for (int i = 0; i < indices.getArrayNItems(); ++i) {
        QPDFObjectHandle index = indices.getArrayItem(i);
        if (!index.isInteger() || index.getIntValue() < 0 ||
            static_cast<size_t>(index.getIntValue()) >= options.size()) {
            continue;
        }
        if (!joined.empty()) {
            joined += '\r';
        }
        joined += options[static_cast<size_t>(index.getIntValue())].exportValue;
    }
    return joined;
}

std::string plainValue(QPDFObjectHandle dictionary, bool inherit) {
    QPDFObjectHandle value =
        inherit ? inheritedAttribute(dictionary, "/V") : dictionary.getKey("/V");
    if (value.isArray() && value.getArrayNItems() > 0) {
        return textOf(value.getArrayItem(0));
    }
    return textOf(value);
}

} // namespace

std::string readFieldValue(const FormField& field) {
    switch (field.kind) {
    case FieldKind::CheckBox:
    case FieldKind::RadioButton:
        return buttonValue(field);
    case FieldKind::ListBox:
        return listValue(field);
    case FieldKind::Group:
        return plainValue(field.dictionary, false);
    case FieldKind::PushButton:
    case FieldKind::Signature:
        return {};
    case FieldKind::Text:
    case FieldKind::ComboBox:
    case FieldKind::Unknown:
        break;
    }
    return plainValue(field.dictionary, true);
}

} // namespace paginor::engine::forms
