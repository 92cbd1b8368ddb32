// Inspection of the hook chains, for tests only.
#pragma once

#include "win/hooks.h"

#include <cstddef>
#include <vector>

namespace paginor::win {

struct InstalledHook {
    HHOOK handle;
    int type;
    HOOKPROC procedure;
    HINSTANCE module;
    DWORD threadId;
};

// Hooks installed on a thread, oldest first.
std::vector<InstalledHook> InstalledHooks(DWORD threadId);
std::size_t InstalledHookCount(DWORD threadId);

// Every installation and removal of a hook on a thread, oldest first, for the
// life of the process: shows that hooks were set up and taken down around a
// call even when nothing ran in between.
struct HookChange {
    bool installed; // false: removed
    int type;
    bool operator==(const HookChange&) const = default;
};
std::vector<HookChange> HookChanges(DWORD threadId);

// Delivers an event to the newest hook of a type on a thread, as the system
// would for real input; returns what the chain answered (0 for no hooks).
LRESULT DeliverHookEvent(DWORD threadId, int type, int code, WPARAM wParam, LPARAM lParam);

} // namespace paginor::win
