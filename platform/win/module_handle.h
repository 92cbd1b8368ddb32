// Module handles: the main program's, or a loaded shared library's by name.
#pragma once

#include "win/win_types.h"

// Null name: the main program's base address. Otherwise the handle of a
// module that is already loaded under that name, or null (nothing is loaded).
extern "C" HMODULE GetModuleHandleW(LPCWSTR moduleName);
