#include "win/dialog_filter.h"

namespace paginor::win {
namespace {

std::vector<std::u16string_view> Split(std::u16string_view text, char16_t separator) {
    std::vector<std::u16string_view> parts;
    while (true) {
        const auto at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::u16string_view::npos) {
            return parts;
        }
        text.remove_prefix(at + 1);
    }
}

} // namespace

std::vector<DialogFileFilter> ParseDialogFilter(std::u16string_view filter) {
    std::vector<DialogFileFilter> filters;
    const std::vector<std::u16string_view> fields = Split(filter, u'|');
    for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
        // An empty field ends the list, as "||" does for the framework.
        if (fields[i].empty() || fields[i + 1].empty()) {
            break;
        }
        DialogFileFilter entry{std::u16string(fields[i]), {}};
        for (std::u16string_view pattern : Split(fields[i + 1], u';')) {
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

} // namespace paginor::win
