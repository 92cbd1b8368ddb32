#include "win/module_state.h"

namespace {

thread_local ModuleState* t_current = nullptr;

} // namespace

ModuleState* CurrentModuleState() noexcept {
    return t_current;
}

ModuleStateGuard::ModuleStateGuard(ModuleState& state) noexcept : m_previous(t_current) {
    t_current = &state;
}

ModuleStateGuard::~ModuleStateGuard() {
    t_current = m_previous;
}
