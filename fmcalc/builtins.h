// The calculation functions the host itself provides (text, list and number
// functions). If, Case, Let and While need their arguments unevaluated and
// live in the evaluator; everything here takes evaluated values.
#pragma once

#include "value.h"

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace fmcalc {

// A calculation that parsed but cannot be evaluated (division by zero, a
// name nobody knows...). Carries the position of the failing part.
class EvaluationError : public std::runtime_error {
public:
    EvaluationError(const std::string& message, std::size_t position)
        : std::runtime_error(message), position_(position) {}
    std::size_t position() const { return position_; }

private:
    std::size_t position_;
};

// Throws EvaluationError at position when a text of length code units would
// be longer than limit.
void check_text_length(std::size_t length, std::size_t limit, std::size_t position);

using BuiltinFunction = Value (*)(const std::vector<Value>& args, std::size_t position);

struct Builtin {
    std::u16string_view name;
    int min_params;
    int max_params; // -1: any number
    BuiltinFunction function;
};

// Case-insensitive lookup; nullptr when the host has no such function.
const Builtin* find_builtin(std::u16string_view name);

// Each (search, replacement) pair is applied in turn, case-sensitively.
// Stops with an EvaluationError at position when the result would grow
// longer than length_limit code units.
std::u16string substitute(std::u16string text,
                          const std::vector<std::pair<std::u16string, std::u16string>>& pairs,
                          std::size_t length_limit, std::size_t position);

} // namespace fmcalc
