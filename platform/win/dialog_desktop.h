// Desktop dialogs shown by an external dialog program (zenity or kdialog),
// found on PATH at run time and started directly, without a shell, so that
// titles and paths travel as separate arguments and are never interpreted.
#pragma once

#include "win/dialog_requests.h"

#include <optional>
#include <string>
#include <vector>

namespace paginor::win {

struct DesktopDialogTool {
    enum class Flavor { Zenity, KDialog };
    Flavor flavor = Flavor::Zenity;
    std::string program; // absolute path of the executable
};

// The first dialog program on PATH (zenity before kdialog), or none when no
// display is available (neither DISPLAY nor WAYLAND_DISPLAY set) or none is
// installed.
std::optional<DesktopDialogTool> FindDesktopDialogTool();

// The argument vector (program first) that shows the request with the tool.
std::vector<std::string> DesktopDialogArguments(const DesktopDialogTool& tool,
                                                const DialogRequest& request);

// Runs the tool and waits for it. The answer when the tool reported one
// (a choice or a cancel); no value when the tool could not show a dialog,
// so that the caller can fall back to another way of asking.
std::optional<DialogAnswer> AskDesktopDialog(const DesktopDialogTool& tool,
                                             const DialogRequest& request);

} // namespace paginor::win
