// A scripted responder that answers dialogs from a fixed list, for hosts run
// without a user (fmcalc --dialog-answer).
#pragma once

#include <string>
#include <vector>

namespace paginor::win {

// Installs a responder that gives each later dialog the next answer of
// `answers`, in order. An empty answer cancels that dialog; once the list is
// used up, every further dialog is cancelled.
void AnswerDialogsInTurn(std::vector<std::u16string> answers);

} // namespace paginor::win
