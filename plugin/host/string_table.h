// The plug-in's string resources: options, name, description and the
// prototypes of the script functions (string_table_entries.inc), found with
// LoadStringW under the plug-in's instance handle.
#pragma once

#include "win/win_types.h"

inline constexpr UINT kOptionsStringId = 1;
inline constexpr UINT kNameStringId = 128;
inline constexpr UINT kDescriptionStringId = 129;

#if !defined(_WIN32)
// Registers the table (idempotent); the library does it when it is loaded.
// On Windows the table is a resource of the library and needs no registering.
void RegisterPluginStringTable();
#endif
