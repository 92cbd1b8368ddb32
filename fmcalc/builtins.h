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
std::u16string substitute(std::u16string text,
                          const std::vector<std::pair<std::u16string, std::u16string>>& pairs);

} // namespace fmcalc
