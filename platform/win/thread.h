// Thread identity.
#pragma once

#include "win/win_types.h"

extern "C" DWORD GetCurrentThreadId();
