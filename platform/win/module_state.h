// The module state a library switches to while it runs on behalf of the host,
// standing in for the application framework's. Each library owns one
// ModuleState; ModuleStateGuard makes it current on this thread for a scope
// and restores the previous one on every way out.
//
//     void Handler() {
//         ModuleStateGuard guard(PluginModuleState());
//         ... CurrentModuleState() == &PluginModuleState() here ...
//     }
#pragma once

#include "win/win_types.h"

struct ModuleState {
    HINSTANCE instance = nullptr; // the library's instance handle
};

// The state current on this thread (nullptr outside every guard).
ModuleState* CurrentModuleState() noexcept;

class ModuleStateGuard {
public:
    explicit ModuleStateGuard(ModuleState& state) noexcept;
    ~ModuleStateGuard();
    ModuleStateGuard(const ModuleStateGuard&) = delete;
    ModuleStateGuard& operator=(const ModuleStateGuard&) = delete;

private:
    ModuleState* m_previous;
};
