#include "win/dialog_requests.h"

#include "win/dialog_desktop.h"
#include "win/dialog_terminal.h"

#include <mutex>
#include <utility>

namespace paginor::win {
namespace {

std::mutex& ResponderMutex() {
    static std::mutex mutex;
    return mutex;
}

DialogResponder& InstalledResponder() {
    static DialogResponder responder;
    return responder;
}

DialogResponder CurrentResponder() {
    std::lock_guard lock(ResponderMutex());
    return InstalledResponder();
}

} // namespace

void SetScriptedDialogResponder(DialogResponder responder) {
    std::lock_guard lock(ResponderMutex());
    InstalledResponder() = std::move(responder);
}

DialogAnswer RequestDialogAnswer(const DialogRequest& request) {
    try {
        // A copy, so a responder may replace itself while answering.
        if (const DialogResponder responder = CurrentResponder()) {
            return responder(request);
        }
        if (const auto tool = FindDesktopDialogTool()) {
            if (auto answer = AskDesktopDialog(*tool, request)) {
                return *answer;
            }
        }
        if (auto answer = AskOnControllingTerminal(request)) {
            return *answer;
        }
    } catch (...) {
        // A dialog that cannot be shown counts as cancelled; callers sit
        // behind C interfaces and must not see exceptions.
    }
    return std::nullopt;
}

} // namespace paginor::win
