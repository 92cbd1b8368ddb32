#include "host/plugin_module.h"

#include "win/instance_handle.h"

namespace {

FMX_ExternCallStruct* g_callRecord = nullptr;

} // namespace

HINSTANCE PluginInstanceHandle() {
    return InstanceHandleOf(reinterpret_cast<const void*>(&FMExternCallProc));
}

ModuleState& PluginModuleState() {
    static ModuleState state{PluginInstanceHandle()};
    return state;
}

FMX_ExternCallStruct* CurrentCallRecord() noexcept {
    return g_callRecord;
}

void RememberCallRecord(FMX_ExternCallStruct* record) noexcept {
    g_callRecord = record;
}

HINSTANCE HostGivenInstanceHandle() noexcept {
    return g_callRecord != nullptr ? reinterpret_cast<HINSTANCE>(g_callRecord->instanceID)
                                   : nullptr;
}
