#include "win/dialog_filter.h"

namespace paginor::win {
namespace {

std::vector<WideStringView> Split(WideStringView text, WCHAR separator) {
    std::vector<WideStringView> parts;
    while (true) {
        const auto at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == WideStringView::npos) {
            return parts;
        }
        text.remove_prefix(at + 1);
    }
}

} // namespace

std::vector<DialogFileFilter> ParseDialogFilter(WideStringView filter) {
    std::vector<DialogFileFilter> filters;
    const std::vector<WideStringView> fields = Split(filter, OLESTR('|'));
    for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
        // An empty field ends the list, as "||" does for the framework.
        if (fields[i].empty() || fields[i + 1].empty()) {
            break;
        }
        DialogFileFilter entry{WideString(fields[i]), {}};
        for (WideStringView pattern : Split(fields[i + 1], OLESTR(';'))) {
            if (!pattern.empty()) {
                entry.patterns.emplace_back(pattern);
            }
        }
        if (!entry.patterns.empty()) {
            filters.push_back(std::move(entry));
        }
    }
    return filters;
}

WideString CommonDialogFilter(WideStringView filter) {
    WideString packed;
    for (const DialogFileFilter& entry : ParseDialogFilter(filter)) {
        packed += entry.name;
        packed.push_back(0);
        for (std::size_t i = 0; i < entry.patterns.size(); ++i) {
            if (i > 0) {
                packed.push_back(OLESTR(';'));
            }
            packed += entry.patterns[i];
        }
        packed.push_back(0);
    }
    if (!packed.empty()) {
        packed.push_back(0);
    }
    return packed;
}

} // namespace paginor::win
