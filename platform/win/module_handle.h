// Module handles: the main program's, or a loaded library's by name
// (kernel32's GetModuleHandleW on Windows).
#pragma once

#include "win/win_types.h"

#if defined(_WIN32)

#include <windows.h>

#else

// Null name: the main program's base address. Otherwise the handle of a
// module that is already loaded under that name, or null (nothing is loaded).
extern "C" HMODULE GetModuleHandleW(LPCWSTR moduleName);

#endif // !_WIN32
