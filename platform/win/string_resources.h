// String resources. On Windows they are the library's resource section, read
// with user32's LoadStringW. Elsewhere a library registers its string table
// under its instance handle (usually from a static object, so the table
// exists from load to unload), and LoadStringW reads from it as on Windows.
#pragma once

#include "win/win_types.h"

#if defined(_WIN32)

#include <windows.h>

#else

#include <cstddef>

struct StringResource {
    UINT id;
    LPCWSTR text;
};

// The table must outlive its registration; re-registering replaces it.
void RegisterStringTable(HINSTANCE instance, const StringResource* table, std::size_t count);
void UnregisterStringTable(HINSTANCE instance) noexcept;

// Copies string `id` of the module's table into `buffer`, at most
// bufferMax - 1 units and a terminating zero, and returns the number of units
// copied. An unknown module or id, a null buffer or bufferMax <= 0 copies
// nothing, leaves the buffer untouched and returns 0.
extern "C" int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax);

#endif // !_WIN32
