// Dialogs as a prompt on the controlling terminal, for sessions without a
// display. One line is read: the path typed, made absolute against the
// current folder (a leading ~/ is the home folder). An empty line takes the
// folder offered (if any, else cancels); end of input cancels.
#pragma once

#include "win/dialog_requests.h"

#include <optional>

namespace paginor::win {

// Asks on the given descriptors (prompt written to outputFd, line read from
// inputFd) and waits for the answer.
DialogAnswer AskOnTerminal(const DialogRequest& request, int inputFd, int outputFd);

// Asks on /dev/tty; no value when the process has no controlling terminal.
std::optional<DialogAnswer> AskOnControllingTerminal(const DialogRequest& request);

} // namespace paginor::win
