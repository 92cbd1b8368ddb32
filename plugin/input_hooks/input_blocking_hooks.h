// Keeps the user's keyboard and mouse input away from the host while a long
// automation request runs on the calling thread: a keyboard hook and a mouse
// hook that discard events, installed for the object's lifetime.
#pragma once

#include "win/win_types.h"

class InputBlockingHooks {
public:
    // Installs the keyboard hook, then the mouse hook, on the calling thread.
    InputBlockingHooks() noexcept;
    // Removes the keyboard hook, then the mouse hook.
    ~InputBlockingHooks();
    InputBlockingHooks(const InputBlockingHooks&) = delete;
    InputBlockingHooks& operator=(const InputBlockingHooks&) = delete;
};

// The hook procedures, exposed so that their filtering can be tested.
LRESULT CALLBACK BlockKeyboardInput(int code, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK BlockMouseInput(int code, WPARAM wParam, LPARAM lParam);
