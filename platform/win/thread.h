// Thread identity (kernel32's GetCurrentThreadId on Windows).
#pragma once

#include "win/win_types.h"

#if defined(_WIN32)

#include <windows.h>

#else

extern "C" DWORD GetCurrentThreadId();

#endif // !_WIN32
