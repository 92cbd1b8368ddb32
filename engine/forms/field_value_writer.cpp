#include "field_value_writer.h"

#include "button_appearance.h"
#include "choice_appearance.h"
#include "field_attributes.h"
#include "field_options.h"
#include "need_appearances.h"
#include "pdf_text_string.h"
#include "text_appearance.h"

#include "text_encoding/utf_conversion.h"

#include <algorithm>
#include <functional>
#include <set>

namespace paginor::engine::forms {

namespace {

constexpr size_t kListedValuesMax = 25;

std::string quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string acceptedList(const std::vector<std::string>& values, const std::string& tail) {
    std::string list;
    for (size_t i = 0; i < values.size() && i < kListedValuesMax; ++i) {
        list += (i > 0 ? ", " : "") + quoted(values[i]);
    }
    if (values.size() > kListedValuesMax) {
        list += ", ... (" + std::to_string(values.size()) + " in all)";
    }
    if (!tail.empty()) {
        // Without values a tail such as "or an empty text" loses its "or".
        const bool alone = list.empty() && tail.rfind("or ", 0) == 0;
        list += (list.empty() ? "" : ", ") + (alone ? tail.substr(3) : tail);
    }
    return list.empty() ? "none" : list;
}

WriteResult refused(std::string description) {
    return WriteResult{false, std::move(description)};
}

// A prepared write: the new appearances are built before anything is
// touched, so that a failure while drawing leaves the field as it was.
struct PreparedWrite {
    WidgetAppearances appearances;
    std::function<void()> commit;
};

void attachNormalAppearances(const WidgetAppearances& appearances) {
    for (const auto& [widget, normal] : appearances) {
        QPDFObjectHandle ap = QPDFObjectHandle::newDictionary();
        ap.replaceKey("/N", normal);
        QPDFObjectHandle w = widget;
        w.replaceKey("/AP", ap);
    }
}

std::vector<std::string> splitSelection(const std::string& value) {
    std::vector<std::string> items;
    std::string current;
    for (size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\r' || value[i] == '\n') {
            if (value[i] == '\r' && i + 1 < value.size() && value[i + 1] == '\n') {
                ++i;
            }
            items.push_back(current);
            current.clear();
        } else {
            current += value[i];
        }
    }
    items.push_back(current);
    items.erase(std::remove(items.begin(), items.end(), std::string()), items.end());
    return items;
}

long findOption(const std::vector<ChoiceOption>& options, const std::string& value) {
    for (size_t i = 0; i < options.size(); ++i) {
        if (options[i].exportValue == value) {
            return static_cast<long>(i);
        }
    }
    for (size_t i = 0; i < options.size(); ++i) {
        if (options[i].displayText == value) {
            return static_cast<long>(i);
        }
    }
    return -1;
}

std::vector<std::string> exportValues(const std::vector<ChoiceOption>& options) {
    std::vector<std::string> values;
    for (const ChoiceOption& option : options) {
        values.push_back(option.exportValue);
    }
    return values;
}

WriteResult prepareText(QPDF& pdf, const FormField& field, const std::string& value,
                        PreparedWrite& write, FormFontCache& fonts) {
    const int maxLength = inheritedInteger(field.dictionary, "/MaxLen", -1);
    const std::u32string text = Utf8ToUtf32(value);
    if (maxLength >= 0 && text.size() > static_cast<size_t>(maxLength)) {
        return refused("The value for text field " + quoted(field.fullName) + " has " +
                       std::to_string(text.size()) + " characters; the field accepts at most " +
                       std::to_string(maxLength) + ".");
    }
    write.appearances =
        buildTextAppearances(pdf, field, shownText(field, text), textBoxLayoutOf(field), fonts);
    QPDFObjectHandle dictionary = field.dictionary;
    write.commit = [dictionary, value]() mutable {
        dictionary.replaceKey("/V", makePdfTextString(value));
        dictionary.removeKey("/RV"); // rich text would contradict the new value
    };
    return {};
}

WriteResult prepareButton(QPDF& pdf, const FormField& field, const std::string& value,
                          PreparedWrite& write) {
    const bool radio = field.kind == FieldKind::RadioButton;
    std::vector<std::string> states = buttonOnStates(field);
    if (states.empty()) {
        states.push_back("Yes");
    }
    std::string target = value.empty() ? "Off" : value;
    if (target != "Off" && std::find(states.begin(), states.end(), target) == states.end()) {
        return refused("The value " + quoted(value) + " is not accepted by " +
                       (radio ? "radio group " : "check box ") + quoted(field.fullName) +
                       "; accepted values: " + acceptedList(states, "\"Off\" or an empty text") +
                       ".");
    }
    // Radio buttons sharing an on-state turn on together only when the field
    // says so; otherwise the first one with the state stands for the choice.
    const bool unison = !radio || (fieldFlags(field.dictionary) & field_flag::RadiosInUnison) != 0;
    std::vector<std::pair<QPDFObjectHandle, std::string>> widgetStates; // widget, state key
    std::string valueKey = "/" + target;
    bool chosen = false;
    for (QPDFObjectHandle widget : field.widgets) {
        const std::vector<std::string> own = widgetOnStates(widget);
        bool on = target != "Off" &&
                  (own.empty() ? !radio : std::find(own.begin(), own.end(), target) != own.end());
        if (on && chosen && !unison) {
            on = false;
        }
        if (on && !chosen) {
            valueKey = widgetStateKey(widget, target); // the spelling the widgets use
        }
        chosen = chosen || on;
        widgetStates.emplace_back(widget, on ? widgetStateKey(widget, target) : "/Off");
    }
    std::vector<std::pair<QPDFObjectHandle, QPDFObjectHandle>> completed;
    for (const auto& [widget, key] : widgetStates) {
        QPDFObjectHandle normal = completeButtonAppearances(
            pdf, widget, key, radio ? ButtonMark::Dot : ButtonMark::Check);
        if (!normal.isNull()) {
            completed.emplace_back(widget, normal);
        }
    }
    QPDFObjectHandle dictionary = field.dictionary;
    write.commit = [dictionary, valueKey, widgetStates, completed]() mutable {
        dictionary.replaceKey("/V", QPDFObjectHandle::newName(valueKey));
        for (auto [widget, normal] : completed) {
            QPDFObjectHandle ap = widget.getKey("/AP");
            if (!ap.isDictionary()) {
                ap = QPDFObjectHandle::newDictionary();
                widget.replaceKey("/AP", ap);
            }
            ap.replaceKey("/N", normal);
        }
        for (auto [widget, key] : widgetStates) {
            widget.replaceKey("/AS", QPDFObjectHandle::newName(key));
        }
    };
    return {};
}

WriteResult prepareCombo(QPDF& pdf, const FormField& field, const std::string& value,
                         PreparedWrite& write, FormFontCache& fonts) {
    const std::vector<ChoiceOption> options = choiceOptions(field);
    const bool editable = (fieldFlags(field.dictionary) & field_flag::Edit) != 0;
    std::string stored = value;
    std::string shown = value;
    if (!value.empty()) {
        const long index = findOption(options, value);
        if (index >= 0) {
            stored = options[static_cast<size_t>(index)].exportValue;
            shown = options[static_cast<size_t>(index)].displayText;
        } else if (!editable) {
            return refused("The value " + quoted(value) + " is not an option of combo box " +
                           quoted(field.fullName) + (options.empty() ? ", which has no options" : "") +
                           "; accepted values: " +
                           acceptedList(exportValues(options), "or an empty text to clear it") +
                           ".");
        }
    }
    write.appearances =
        buildTextAppearances(pdf, field, Utf8ToUtf32(shown), TextBoxLayout{}, fonts);
    QPDFObjectHandle dictionary = field.dictionary;
    write.commit = [dictionary, stored]() mutable {
        dictionary.replaceKey("/V", makePdfTextString(stored));
        dictionary.removeKey("/I");
    };
    return {};
}

WriteResult prepareList(QPDF& pdf, const FormField& field, const std::string& value,
                        PreparedWrite& write, FormFontCache& fonts) {
    const std::vector<ChoiceOption> options = choiceOptions(field);
    const bool multiple = (fieldFlags(field.dictionary) & field_flag::MultiSelect) != 0;
    const std::vector<std::string> items = splitSelection(value);
    const std::string accepted = acceptedList(
        exportValues(options), multiple ? "several of them separated by returns, or an empty text"
                                        : "or an empty text to clear it");
    if (items.size() > 1 && !multiple) {
        return refused("List box " + quoted(field.fullName) +
                       " takes a single option; accepted values: " + accepted + ".");
    }
    std::set<size_t> selected;
    for (const std::string& item : items) {
        const long index = findOption(options, item);
        if (index < 0) {
            return refused("The value " + quoted(item) + " is not an option of list box " +
                           quoted(field.fullName) + "; accepted values: " + accepted + ".");
        }
        selected.insert(static_cast<size_t>(index));
    }
    std::vector<std::u32string> rows;
    for (const ChoiceOption& option : options) {
        rows.push_back(Utf8ToUtf32(option.displayText));
    }
    write.appearances = buildListAppearances(pdf, field, rows, selected, fonts);
    QPDFObjectHandle dictionary = field.dictionary;
    std::vector<std::string> storedValues;
    for (size_t index : selected) {
        storedValues.push_back(options[index].exportValue);
    }
    write.commit = [dictionary, storedValues, selected]() mutable {
        if (storedValues.empty()) {
            dictionary.removeKey("/V");
            dictionary.removeKey("/I");
            return;
        }
        if (storedValues.size() == 1) {
            dictionary.replaceKey("/V", makePdfTextString(storedValues.front()));
        } else {
            QPDFObjectHandle array = QPDFObjectHandle::newArray();
            for (const std::string& stored : storedValues) {
                array.appendItem(makePdfTextString(stored));
            }
            dictionary.replaceKey("/V", array);
        }
        QPDFObjectHandle indices = QPDFObjectHandle::newArray();
        for (size_t index : selected) {
            indices.appendItem(QPDFObjectHandle::newInteger(static_cast<long long>(index)));
        }
        dictionary.replaceKey("/I", indices);
    };
    return {};
}

} // namespace

WriteResult writeFieldValue(QPDF& pdf, const FormField& field, const std::string& value) {
    FormFontCache fonts;
    return writeFieldValue(pdf, field, value, fonts);
}

WriteResult writeFieldValue(QPDF& pdf, const FormField& field, const std::string& value,
                            FormFontCache& fonts) {
    const std::string name = quoted(field.fullName);
    PreparedWrite write;
    WriteResult result;
    try {
        switch (field.kind) {
        case FieldKind::Text:
            result = prepareText(pdf, field, value, write, fonts);
            break;
        case FieldKind::CheckBox:
        case FieldKind::RadioButton:
            result = prepareButton(pdf, field, value, write);
            break;
        case FieldKind::ComboBox:
            result = prepareCombo(pdf, field, value, write, fonts);
            break;
        case FieldKind::ListBox:
            result = prepareList(pdf, field, value, write, fonts);
            break;
        case FieldKind::PushButton:
            return refused("Field " + name + " is a push button; it holds no value to write.");
        case FieldKind::Signature:
            return refused("Field " + name +
                           " is a signature field; only signing software can write its value.");
        case FieldKind::Group:
            return refused("Field " + name +
                           " is not a terminal field; write to one of its children.");
        case FieldKind::Unknown:
            return refused("Field " + name + " has no field type; it cannot be written.");
        }
    } catch (const std::exception& error) {
        return refused("The value of field " + name + " could not be drawn: " + error.what());
    }
    if (!result.ok) {
        return result;
    }
    try {
        write.commit();
        // A widget kid's own /V (some producers leave one) would shadow the
        // field's new value in readers that start at the widget.
        for (QPDFObjectHandle widget : field.widgets) {
            if (widget.getObjGen() != field.dictionary.getObjGen() && !widget.hasKey("/T")) {
                widget.removeKey("/V");
            }
        }
        attachNormalAppearances(write.appearances);
        QPDFObjectHandle acroForm = pdf.getRoot().getKey("/AcroForm");
        if (acroForm.isDictionary() && acroForm.hasKey("/XFA")) {
            acroForm.removeKey("/XFA");
        }
        settleNeedAppearances(pdf, fonts);
    } catch (const std::exception& error) {
        return refused("Field " + name + " could not be written: " + error.what());
    }
    return result;
}

} // namespace paginor::engine::forms
