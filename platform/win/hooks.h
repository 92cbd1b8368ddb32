// Window hooks (user32). On Windows the platform's own; elsewhere per-thread
// hook chains stand in for them. Nothing there produces keyboard or mouse
// input, so installed procedures run only when a caller passes an event along
// the chain (CallNextHookEx, or a test).
#pragma once

#include "win/win_types.h"

#if defined(_WIN32)

#include <windows.h>

#else

constexpr int WH_KEYBOARD = 2;
constexpr int WH_MOUSE = 7;

using HOOKPROC = LRESULT(CALLBACK*)(int code, WPARAM wParam, LPARAM lParam);

extern "C" {

// Installs proc at the head of the chain of its type on threadId. Returns
// null for an unknown hook type or a null procedure.
HHOOK SetWindowsHookExW(int idHook, HOOKPROC proc, HINSTANCE module, DWORD threadId);
// Passes an event to the next (older) hook of the same chain; 0 at its end.
LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam);
// FALSE for a handle that is not installed.
BOOL UnhookWindowsHookEx(HHOOK hook);

} // extern "C"

#endif // !_WIN32
