// FMExternCallProc: the host's messages to the plug-in.
#include "errors/last_error_record.h"
#include "host/function_registration.h"
#include "host/plugin_module.h"
#include "host/session_shutdown.h"
#include "host/string_table.h"
#include "win/module_state.h"
#include "win/string_resources.h"

#include <algorithm>
#include <cstdint>
#include <limits>

namespace {

constexpr std::int16_t kLowestHostVersion = 50;
constexpr std::int16_t kHighestHostVersion = 255;
constexpr intptr_t kPluginApiVersion = 53;

void HandleInit(FMX_ExternCallStruct& record) {
    ModuleStateGuard moduleState(PluginModuleState());
    if (record.extnVersion < kLowestHostVersion || record.extnVersion > kHighestHostVersion) {
        record.result = FMX_INIT_REFUSED;
        return;
    }
    try {
        RegisterScriptFunctions();
        CreateLastErrorRecord();
        record.result = kPluginApiVersion;
    } catch (...) {
        // The host could not give us the objects registration needs: refuse
        // rather than run half-registered.
        UnregisterScriptFunctions();
        DestroyLastErrorRecord();
        record.result = FMX_INIT_REFUSED;
    }
}

void HandleShutdown() {
    ModuleStateGuard moduleState(PluginModuleState());
    UnregisterScriptFunctions();
    try {
        ResetPdfSessionForShutdown();
    } catch (...) {
        // Reset drops references only; nothing is left to undo.
    }
    DestroyLastErrorRecord();
}

void HandlePreferences() {
    ModuleStateGuard moduleState(PluginModuleState());
}

void HandleGetString(const FMX_ExternCallStruct& record) {
    const UINT id = record.parm1 == FMX_STRING_OPTIONS ? kOptionsStringId : record.parm1;
    auto* buffer = reinterpret_cast<WCHAR*>(record.result);
    const int capacity =
        static_cast<int>(std::min<std::uint32_t>(record.parm3, std::numeric_limits<int>::max()));
    // A buffer without room for a single unit gets nothing: given a capacity
    // of 0, the platform's LoadStringW would write a pointer to the resource
    // itself into the buffer's first bytes.
    if (buffer == nullptr || capacity < 1) {
        return;
    }
    LoadStringW(reinterpret_cast<HINSTANCE>(record.instanceID), id, buffer, capacity);
}

} // namespace

extern "C" FMX_ENTRY_POINT void FMExternCallProc(FMX_ExternCallStruct* record) {
    if (record == nullptr) {
        return;
    }
    try {
        RememberCallRecord(record);
        switch (record->whichCall) {
        case FMX_CALL_INIT:
            HandleInit(*record);
            break;
        case FMX_CALL_SHUTDOWN:
            HandleShutdown();
            break;
        case FMX_CALL_PREFERENCES:
            HandlePreferences();
            break;
        case FMX_CALL_GET_STRING:
            HandleGetString(*record);
            break;
        default:
            // Idle and every other message: nothing to do.
            break;
        }
    } catch (...) {
        // Nothing may unwind into the host.
    }
}
