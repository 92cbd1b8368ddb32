// Registration of the script functions with the host on Init, and their
// removal on Shutdown.
#pragma once

#include "fmx/fmx.h"
#include "host/host_objects.h"

#include <cstdint>
#include <span>

struct ScriptFunctionEntry {
    std::int16_t id; // also the string resource holding the prototype
    std::int16_t minParams;
    std::int16_t maxParams;
    FMX_ExternalFunction implementation;
};

inline constexpr std::uint32_t kFunctionFlags = 0xFF01;
inline constexpr std::int16_t kFirstFunctionId = 150;
inline constexpr std::int16_t kLastFunctionId = 177;

// The registration table, in registration order.
std::span<const ScriptFunctionEntry> ScriptFunctionTable();

// Fills `text` with the prototype of string resource `id`, or with the
// function name (the prototype up to its first '(') when `nameWanted`.
void LoadFunctionText(std::int16_t id, HostText& text, bool nameWanted);

// Registers every row; host refusals are ignored. Throws when the host
// cannot create the objects registration needs.
void RegisterScriptFunctions();
// Unregisters every id from 150 to 177, registered or not. Never throws.
void UnregisterScriptFunctions() noexcept;
