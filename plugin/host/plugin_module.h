// Module-wide state of the plug-in library: its module state (entered by
// every handler and script function), its instance handle, and the host call
// record of the message being handled.
#pragma once

#include "fmx/fmx.h"
#include "win/module_state.h"
#include "win/win_types.h"

ModuleState& PluginModuleState();
// The plug-in's own load base (what a host is expected to pass as instanceID).
HINSTANCE PluginInstanceHandle();

// The most recent host call record; null before the first message.
FMX_ExternCallStruct* CurrentCallRecord() noexcept;
void RememberCallRecord(FMX_ExternCallStruct* record) noexcept;
// The instance handle the host gave in the current call record.
HINSTANCE HostGivenInstanceHandle() noexcept;
