#include "field_value_writer.h"

#include "button_appearance.h"
#include "choice_appearance.h"
#include "field_attributes.h"
#include "field_options.h"
#include "field_value_reader.h"
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

void attachNormalAppearances(FormContext& context, const WidgetAppearances& appearances) {
    for (const auto& [widget, normal] : appearances) {
        installNormalAppearance(context, widget, normal);
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

WriteResult prepareText(FormContext& context, const FormField& field, const std::string& value,
                        PreparedWrite& write) {
    const int maxLength = inheritedInteger(field.dictionary, "/MaxLen", -1);
    const std::u32string text = Utf8ToUtf32(value);
    if (maxLength >= 0 && text.size() > static_cast<size_t>(maxLength)) {
        return refused("The value for text field " + quoted(field.fullName) + " has " +
                       std::to_string(text.size()) + " characters; the field accepts at most " +
                       std::to_string(maxLength) + ".");
    }
    write.appearances =
        buildTextAppearances(context, field, shownText(field, text), textBoxLayoutOf(field));
    QPDFObjectHandle dictionary = field.dictionary;
    write.commit = [dictionary, value]() mutable {
        dictionary.replaceKey("/V", makePdfTextString(value));
        dictionary.removeKey("/RV"); // rich text would contradict the new value
    };
    return {};
}

WriteResult prepareButton(FormContext& context, const FormField& field, const std::string& value,
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
            context, widget, key, radio ? ButtonMark::Dot : ButtonMark::Check);
        if (!normal.isNull()) {
            completed.emplace_back(widget, normal);
        }
    }
    QPDFObjectHandle dictionary = field.dictionary;
    auto& changes = context.changes();
    write.commit = [&context, &changes, dictionary, valueKey, widgetStates, completed]() mutable {
        dictionary.replaceKey("/V", QPDFObjectHandle::newName(valueKey));
        changes.changed(dictionary);
        for (auto [widget, normal] : completed) {
            attachButtonStates(context, widget, normal);
        }
        for (auto [widget, key] : widgetStates) {
            widget.replaceKey("/AS", QPDFObjectHandle::newName(key));
            changes.changed(widget);
        }
    };
    return {};
}

WriteResult prepareCombo(FormContext& context, const FormField& field, const std::string& value,
                         PreparedWrite& write) {
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
            return refused(
                "The value " + quoted(value) + " is not an option of combo box " +
                quoted(field.fullName) + (options.empty() ? ", which has no options" : "") +
                "; accepted values: " +
                acceptedList(exportValues(options), "or an empty text to clear it") + ".");
        }
    }
    write.appearances = buildTextAppearances(context, field, Utf8ToUtf32(shown), TextBoxLayout{});
    QPDFObjectHandle dictionary = field.dictionary;
    write.commit = [dictionary, stored]() mutable {
        dictionary.replaceKey("/V", makePdfTextString(stored));
        dictionary.removeKey("/I");
    };
    return {};
}

WriteResult prepareList(FormContext& context, const FormField& field, const std::string& value,
                        PreparedWrite& write) {
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
    write.appearances = buildListAppearances(context, field, rows, selected);
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

// The value an XFA data node holds for a button: its on-state, or for "Off"
// the off value XFA forms commonly pair with on-state "1".
std::string xfaButtonValue(const FormField& field, const std::string& value) {
    if (!value.empty() && value != "Off") {
        return value;
    }
    const std::vector<std::string> states = buttonOnStates(field);
    return states.size() == 1 && states.front() == "1" ? "0" : "";
}

// A hybrid form loses its XFA part on the first write, so that no viewer
// shows XFA data the fields no longer match, unless a usage-rights signature
// covers the form: removing it may be a change the signature does not
// allow, so the value goes into the XFA data as well.
void keepXfaInStep(FormContext& context, const FormField& field) {
    QPDFObjectHandle acroForm = context.pdf().getRoot().getKey("/AcroForm");
    if (!acroForm.isDictionary() || !acroForm.hasKey("/XFA")) {
        return;
    }
    if (!context.keepsXfa()) {
        acroForm.removeKey("/XFA");
        context.changes().changed(
            paginor::engine::DocumentChanges::ownerOf(context.pdf().getRoot(), "/AcroForm"));
        return;
    }
    XfaDatasets* datasets = context.xfaDatasets();
    if (datasets == nullptr) {
        return;
    }
    const bool button = field.kind == FieldKind::CheckBox || field.kind == FieldKind::RadioButton;
    const std::string stored = readFieldValue(field);
    if (datasets->setValue(field.fullName, button ? xfaButtonValue(field, stored) : stored)) {
        context.changes().rewriteStream(datasets->stream(), datasets->text(),
                                        datasets->stream().getDict());
    }
}

} // namespace

WriteResult writeFieldValue(QPDF& pdf, const FormField& field, const std::string& value) {
    paginor::engine::DocumentChanges changes(pdf, 0, paginor::engine::SpareObjects{});
    FormContext context(pdf, changes);
    return writeFieldValue(context, field, value);
}

WriteResult writeFieldValue(FormContext& context, const FormField& field,
                            const std::string& value) {
    const std::string name = quoted(field.fullName);
    PreparedWrite write;
    WriteResult result;
    try {
        switch (field.kind) {
        case FieldKind::Text:
            result = prepareText(context, field, value, write);
            break;
        case FieldKind::CheckBox:
        case FieldKind::RadioButton:
            result = prepareButton(context, field, value, write);
            break;
        case FieldKind::ComboBox:
            result = prepareCombo(context, field, value, write);
            break;
        case FieldKind::ListBox:
            result = prepareList(context, field, value, write);
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
        auto& changes = context.changes();
        write.commit();
        changes.changed(field.dictionary);
        // A widget kid's own /V (some producers leave one) would shadow the
        // field's new value in readers that start at the widget.
        for (QPDFObjectHandle widget : field.widgets) {
            if (widget.getObjGen() != field.dictionary.getObjGen() && !widget.hasKey("/T") &&
                widget.hasKey("/V")) {
                widget.removeKey("/V");
                changes.changed(widget);
            }
        }
        attachNormalAppearances(context, write.appearances);
        keepXfaInStep(context, field);
        settleNeedAppearances(context);
    } catch (const std::exception& error) {
        return refused("Field " + name + " could not be written: " + error.what());
    }
    return result;
}

} // namespace paginor::engine::forms
