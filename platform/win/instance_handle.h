// Instance handles: on this platform a library's instance handle is its load
// base address, the same value a host computes with dladdr on the library's
// entry point and passes in its call record.
#pragma once

#include "win/win_types.h"

// The instance handle of the loaded module that contains `address`, or null.
HINSTANCE InstanceHandleOf(const void* address) noexcept;
