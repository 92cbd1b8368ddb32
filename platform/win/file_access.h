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
// Deletes a file or a symbolic link (the link, not what it points to). Like
// the C runtime, it refuses a folder with EACCES, and so it does anything
// else that is not a file (a device, a FIFO, a socket), decided on the very
// entry it would remove.
int _wunlink(const WCHAR* path);

} // extern "C"

// What GetFileAttributesW answers (the bits this platform reports).
inline constexpr DWORD FILE_ATTRIBUTE_DIRECTORY = 0x10;
inline constexpr DWORD FILE_ATTRIBUTE_DEVICE = 0x40;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
inline constexpr DWORD FILE_ATTRIBUTE_REPARSE_POINT = 0x400;
inline constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFF;

extern "C" {

// The attributes of the entry `path` names, without following a symbolic
// link (which reads as a reparse point): a folder, a device (devices, FIFOs
// and sockets alike), or a normal file; INVALID_FILE_ATTRIBUTES with the
// thread's last error set to the errno when there is none.
DWORD GetFileAttributesW(const WCHAR* path);

} // extern "C"
#endif // !_WIN32
