// The interactive prompt: line editing and history, a calculation may span
// several lines while a parenthesis, bracket or text literal is open.
#pragma once

#include "calculation_runner.h"

namespace fmcalc {

// Returns false when any calculation could not be evaluated.
bool run_interactive(CalculationRunner& runner);

} // namespace fmcalc
