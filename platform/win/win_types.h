// Basic Win32 types and macros that the plug-in, the COM runtime and the
// engine use. On Windows they are the platform's own; elsewhere this file
// stands in for them, with widths that follow the Windows ABI where it
// matters to callers: LONG and HRESULT are 32-bit, handles are pointer-sized,
// and WCHAR is a UTF-16 code unit (char16_t, where Windows has wchar_t).
#pragma once

#if defined(_WIN32)

#include <windows.h>

#else

#include <cstddef>
#include <cstdint>

using BYTE = std::uint8_t;
using WORD = std::uint16_t;
using DWORD = std::uint32_t;
using LONG = std::int32_t;
using ULONG = std::uint32_t;
using SHORT = std::int16_t;
using USHORT = std::uint16_t;
using INT = int;
using UINT = unsigned int;
using BOOL = int;
using LONGLONG = std::int64_t;
using ULONGLONG = std::uint64_t;
using WCHAR = char16_t; // UTF-16 code unit, as wchar_t is on Windows
using LPWSTR = WCHAR*;
using LPCWSTR = const WCHAR*;
using LPSTR = char*;
using LPCSTR = const char*;
using LPVOID = void*;
using LPCVOID = const void*;
using HRESULT = std::int32_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// Handles are opaque, pointer-sized.
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
struct HHOOK__;
using HHOOK = HHOOK__*;
struct HWND__;
using HWND = HWND__*;
using HLOCAL = void*;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

#define WINAPI
#define CALLBACK
#define STDMETHODCALLTYPE

// A literal of the platform's wide type: OLESTR("text") is L"text" on Windows.
#define OLESTR(str) u##str

#endif // !_WIN32
