// The plug-in's string resources: options, name, description and the
// prototypes of the script functions, registered under the plug-in's
// instance handle while the library is loaded.
#pragma once

#include "win/win_types.h"

inline constexpr UINT kOptionsStringId = 1;
inline constexpr UINT kNameStringId = 128;
inline constexpr UINT kDescriptionStringId = 129;

// Registers the table (idempotent); the library does it when it is loaded.
void RegisterPluginStringTable();
