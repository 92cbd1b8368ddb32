// C runtime file calls on UTF-16 paths. On Windows the C runtime's own;
// elsewhere the stand-in below. Both return 0 on success and -1 with errno
// set on failure, as the C runtime does; the stand-in also sets the thread's
// last error code (GetLastError) to the same value.
#pragma once

#include "win/win_types.h"

#if defined(_WIN32)

#include <io.h>
#include <wchar.h>

#else

extern "C" {

// mode: 0 existence, 2 write, 4 read, 6 read and write; anything else EINVAL.
int _waccess(const WCHAR* path, int mode);
int _wunlink(const WCHAR* path);

} // extern "C"

#endif // !_WIN32
