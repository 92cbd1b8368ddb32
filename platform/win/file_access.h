// C runtime file calls on UTF-16 paths. Both return 0 on success and -1 with
// errno set on failure, as the C runtime does; the thread's last error code
// (GetLastError) is set to the same value.
#pragma once

#include "win/win_types.h"

extern "C" {

// mode: 0 existence, 2 write, 4 read, 6 read and write; anything else EINVAL.
int _waccess(const WCHAR* path, int mode);
int _wunlink(const WCHAR* path);

} // extern "C"
