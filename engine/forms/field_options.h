// The values a button or choice field offers: on-state names of its widgets,
// and the options of a combo or list box.
#pragma once

#include "field_tree.h"

#include <string>
#include <vector>

namespace paginor::engine::forms {

// On-state names of one widget (its appearance states other than Off).
std::vector<std::string> widgetOnStates(QPDFObjectHandle widget);

// The widget's own spelling ("/" included) of a state's name, as its
// appearance dictionary writes it, or "/" + state when it has none.
std::string widgetStateKey(QPDFObjectHandle widget, const std::string& state);

// All distinct on-state names of a button field, in widget order.
std::vector<std::string> buttonOnStates(const FormField& field);

struct ChoiceOption {
    std::string exportValue; // what /V holds
    std::string displayText; // what the box shows
};

std::vector<ChoiceOption> choiceOptions(const FormField& field);

} // namespace paginor::engine::forms
