#include "field_options.h"

#include "field_attributes.h"
#include "pdf_text_string.h"

#include <algorithm>

namespace paginor::engine::forms {

namespace {

void addStateNames(QPDFObjectHandle states, std::vector<std::string>& out) {
    if (!states.isDictionary()) {
        return;
    }
    for (const std::string& key : states.getKeys()) {
        const std::string name = nameText(key);
        if (name != "Off" && std::find(out.begin(), out.end(), name) == out.end()) {
            out.push_back(name);
        }
    }
}

} // namespace

std::vector<std::string> widgetOnStates(QPDFObjectHandle widget) {
    std::vector<std::string> states;
    QPDFObjectHandle appearances = widget.getKey("/AP");
    if (appearances.isDictionary()) {
        addStateNames(appearances.getKey("/N"), states);
        addStateNames(appearances.getKey("/D"), states);
    }
    if (states.empty()) {
        // No appearances yet: a current /AS other than Off names the state.
        QPDFObjectHandle current = widget.getKey("/AS");
        if (current.isName() && current.getName() != "/Off") {
            states.push_back(nameText(current.getName()));
        }
    }
    return states;
}

std::string widgetStateKey(QPDFObjectHandle widget, const std::string& state) {
    QPDFObjectHandle appearances = widget.getKey("/AP");
    if (appearances.isDictionary()) {
        for (const char* kind : {"/N", "/D"}) {
            QPDFObjectHandle states = appearances.getKey(kind);
            if (!states.isDictionary()) {
                continue;
            }
            for (const std::string& key : states.getKeys()) {
                if (nameText(key) == state) {
                    return key;
                }
            }
        }
    }
    return "/" + state;
}

std::vector<std::string> buttonOnStates(const FormField& field) {
    std::vector<std::string> all;
    for (QPDFObjectHandle widget : field.widgets) {
        for (std::string& state : widgetOnStates(widget)) {
            if (std::find(all.begin(), all.end(), state) == all.end()) {
                all.push_back(std::move(state));
            }
        }
    }
    return all;
}

std::vector<ChoiceOption> choiceOptions(const FormField& field) {
    std::vector<ChoiceOption> options;
    QPDFObjectHandle list = inheritedAttribute(field.dictionary, "/Opt");
    if (!list.isArray()) {
        return options;
    }
    const int count = list.getArrayNItems();
    options.reserve(static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        QPDFObjectHandle item = list.getArrayItem(i);
        ChoiceOption option;
        if (item.isArray() && item.getArrayNItems() >= 2) {
            option.exportValue = textOf(item.getArrayItem(0));
            option.displayText = textOf(item.getArrayItem(1));
        } else if (item.isArray() && item.getArrayNItems() == 1) {
            option.exportValue = option.displayText = textOf(item.getArrayItem(0));
        } else {
            option.exportValue = option.displayText = textOf(item);
        }
        options.push_back(std::move(option));
    }
    return options;
}

} // namespace paginor::engine::forms
