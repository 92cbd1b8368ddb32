// What "help" at the prompt shows: every function a calculation can call.
#pragma once

#include "evaluator.h"

#include <string>
#include <vector>

namespace fmcalc {

// The host's built-ins, then each group of registered functions under its
// heading (prototype and parameter range).
std::string
function_help(const std::vector<std::pair<std::string, std::vector<ExternalFunction>>>& groups);

} // namespace fmcalc
