// Instance handles: a library's instance handle is its load base address. On
// Windows that is its module handle (native/instance_handle.cpp); elsewhere
// it is the same value a host computes with dladdr on the library's entry
// point and passes in its call record.
#pragma once

#include "win/win_types.h"

// The instance handle of the loaded module that contains `address`, or null.
HINSTANCE InstanceHandleOf(const void* address) noexcept;
