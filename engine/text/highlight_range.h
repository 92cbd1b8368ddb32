// A run of words on a page, as a highlight list names it.
#pragma once

#include "automation_contract/automation_values.h"

#include <cstdint>

namespace paginor::engine::text {

struct HighlightRange {
    std::uint16_t offset; // index of the first word
    std::uint16_t length; // number of words, or kHighlightToEndOfPage taken unsigned

    bool toEndOfPage() const { return length == static_cast<std::uint16_t>(kHighlightToEndOfPage); }
    bool operator==(const HighlightRange&) const = default;
};

} // namespace paginor::engine::text
