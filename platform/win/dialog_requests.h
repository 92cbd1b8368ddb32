// What every modal dialog stand-in asks for, and who answers it.
//
// A dialog request is answered, in this order, by: the scripted responder when
// one is installed (tests, fmcalc --dialog-answer); a desktop dialog program
// when a display is available and one is installed; a prompt on the
// controlling terminal when there is one; otherwise the request is cancelled.
// The call blocks the calling thread until the answer is known, like the
// modal dialogs it stands in for.
#pragma once

#include "win/win_types.h"

#include <functional>
#include <optional>
#include <string>

namespace paginor::win {

enum class DialogKind {
    OpenFile, // pick an existing file
    SaveFile, // name a file to write
    Folder,   // pick a folder
};

struct DialogRequest {
    DialogKind kind = DialogKind::OpenFile;
    std::u16string title;
    // Filter text as the framework's file dialog takes it:
    // "Name|pattern[;pattern]|Name|pattern..." ("" when none).
    std::u16string filter;
    // Folder shown or selected when the dialog opens ("" when none).
    std::u16string initialFolder;
    std::u16string initialFileName;
    std::u16string defaultExtension;
    DWORD flags = 0;
};

// The chosen path, or no value when the user cancelled.
using DialogAnswer = std::optional<std::u16string>;
using DialogResponder = std::function<DialogAnswer(const DialogRequest&)>;

// Installs a responder that answers every later request in place of the user;
// an empty function removes it. Process-wide.
void SetScriptedDialogResponder(DialogResponder responder);

// Answers one request (see the order above). Never throws.
DialogAnswer RequestDialogAnswer(const DialogRequest& request);

} // namespace paginor::win
