// The interactive prompt: line editing and history kept between sessions, a
// calculation may span several lines while a parenthesis, bracket or text
// literal is open. Ctrl-C clears what is being typed (the session and its
// open document stay), Ctrl-D ends; "help" lists the functions.
#pragma once

#include "batch/batch_row.h"
#include "calculation_runner.h"

#include <optional>
#include <string>

namespace fmcalc {

RowReport run_interactive(CalculationRunner& runner, const std::string& help);

// Where the prompt keeps its history: $XDG_STATE_HOME/paginor/fmcalc_history,
// or ~/.local/state/paginor/fmcalc_history (XDG_STATE_HOME must be an
// absolute path to count). Nothing when neither can be found.
std::optional<std::string> history_file_path();

} // namespace fmcalc
