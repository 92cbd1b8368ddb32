#include "input_hooks/input_blocking_hooks.h"

#include "host/plugin_module.h"
#include "win/hooks.h"
#include "win/module_handle.h"
#include "win/thread.h"
#include "win/wide_string.h"

namespace {

// The procedures need their own handles to pass events on.
HHOOK g_keyboardHook = nullptr;
HHOOK g_mouseHook = nullptr;

constexpr LPARAM kKeyTransitionBit = static_cast<LPARAM>(0x80000000u);

} // namespace

LRESULT CALLBACK BlockKeyboardInput(int code, WPARAM wParam, LPARAM lParam) {
    if (code != 0 && (lParam & kKeyTransitionBit) == 0) {
        return 1;
    }
    try {
        CallNextHookEx(g_keyboardHook, code, wParam, lParam);
    } catch (...) {
        // An event that cannot be passed on is simply dropped.
    }
    return 0;
}

LRESULT CALLBACK BlockMouseInput(int code, WPARAM wParam, LPARAM lParam) {
    if (code != 0) {
        return 1;
    }
    try {
        CallNextHookEx(g_mouseHook, code, wParam, lParam);
    } catch (...) {
        // An event that cannot be passed on is simply dropped.
    }
    return 0;
}

InputBlockingHooks::InputBlockingHooks() noexcept {
    const DWORD thread = GetCurrentThreadId();
    // No module of this name needs to exist: a hook confined to the caller's
    // own thread accepts an empty module handle.
    g_keyboardHook = SetWindowsHookExW(WH_KEYBOARD, BlockKeyboardInput,
                                       GetModuleHandleW(OLESTR("KeyBoard")), thread);
    // The mouse hook names this library, the module that holds its procedure.
    g_mouseHook = SetWindowsHookExW(WH_MOUSE, BlockMouseInput, PluginInstanceHandle(), thread);
}

InputBlockingHooks::~InputBlockingHooks() {
    UnhookWindowsHookEx(g_keyboardHook);
    UnhookWindowsHookEx(g_mouseHook);
    g_keyboardHook = nullptr;
    g_mouseHook = nullptr;
}
