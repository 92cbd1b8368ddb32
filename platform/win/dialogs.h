// The shell's folder picker and the framework's open-file dialog, as the
// plug-in calls them. Each is modal: it blocks the calling thread until the
// request is answered. On Windows the folder picker is shell32's and the
// file dialog is built on comdlg32's open-file dialog (native/); elsewhere
// both stand in for them (see dialog_requests.h for who answers).
#pragma once

#include "com/com.h"
#include "win/wide_string.h"
#include "win/win_types.h"

#if defined(_WIN32)

#include <commdlg.h>
#include <shlobj.h>

#else

#include <cstddef>
#include <cstdint>

// Longest path a picker hands back, terminator included. Paths on this
// platform may run to PATH_MAX, so buffers are sized for that.
#ifndef MAX_PATH
#define MAX_PATH 4096
#endif

using INT_PTR = std::intptr_t;
using SIZE_T = std::size_t;

constexpr INT_PTR IDOK = 1;
constexpr INT_PTR IDCANCEL = 2;

// ---- Shell allocator ------------------------------------------------------

inline constexpr IID IID_IMalloc = {0x00000002, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

struct IMalloc : IUnknown {
    virtual void* STDMETHODCALLTYPE Alloc(SIZE_T size) = 0;
    virtual void* STDMETHODCALLTYPE Realloc(void* block, SIZE_T size) = 0;
    virtual void STDMETHODCALLTYPE Free(void* block) = 0;
    virtual SIZE_T STDMETHODCALLTYPE GetSize(void* block) = 0;
    virtual int STDMETHODCALLTYPE DidAlloc(void* block) = 0;
    virtual void STDMETHODCALLTYPE HeapMinimize() = 0;

protected:
    ~IMalloc() = default;
};

// ---- Folder picker --------------------------------------------------------

// A shell item identifier list. Its layout is the shell's business; callers
// only pass it on and free it with the shell allocator.
struct ITEMIDLIST;
using LPITEMIDLIST = ITEMIDLIST*;
using LPCITEMIDLIST = const ITEMIDLIST*;
using PIDLIST_ABSOLUTE = ITEMIDLIST*;
using PCIDLIST_ABSOLUTE = const ITEMIDLIST*;

using BFFCALLBACK = int(CALLBACK*)(HWND window, UINT message, LPARAM param, LPARAM data);

struct BROWSEINFOW {
    HWND hwndOwner;
    PCIDLIST_ABSOLUTE pidlRoot; // nullptr: the desktop
    LPWSTR pszDisplayName;      // receives the chosen item's name; MAX_PATH characters
    LPCWSTR lpszTitle;
    UINT ulFlags;
    BFFCALLBACK lpfn;
    LPARAM lParam; // handed to lpfn
    int iImage;
};

constexpr UINT BIF_RETURNONLYFSDIRS = 0x0001;
constexpr UINT BIF_RETURNFSANCESTORS = 0x0008;

// Messages the picker sends to its callback.
constexpr UINT BFFM_INITIALIZED = 1;
constexpr UINT BFFM_SELCHANGED = 2;
// Message the callback sends to the picker: wParam TRUE means lParam is a
// path text, FALSE an item identifier list.
constexpr UINT BFFM_SETSELECTIONW = 0x467;

extern "C" {

HRESULT SHGetMalloc(IMalloc** allocator);
// The chosen folder as an item list (free it with the shell allocator), or
// nullptr when the user cancelled.
PIDLIST_ABSOLUTE SHBrowseForFolderW(BROWSEINFOW* info);
// Copies the item's file-system path into path (MAX_PATH characters). FALSE,
// with an empty path, when the item is not a file-system folder or its path
// does not fit.
BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE item, LPWSTR path);
// Delivers a message to a window; only an open folder picker handles any.
LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

} // extern "C"

// ---- Open-file dialog -----------------------------------------------------

constexpr DWORD OFN_OVERWRITEPROMPT = 0x00000002;
constexpr DWORD OFN_HIDEREADONLY = 0x00000004;
constexpr DWORD OFN_FILEMUSTEXIST = 0x00001000;
constexpr DWORD OFN_EXPLORER = 0x00080000;

#endif // !_WIN32

// The framework's file dialog: an open dialog (or a save dialog) with a
// filter of the form "Name|pattern|Name|pattern...".
class CFileDialog {
public:
    explicit CFileDialog(BOOL openFileDialog, LPCWSTR defaultExtension = nullptr,
                         LPCWSTR fileName = nullptr,
                         DWORD flags = OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT,
                         LPCWSTR filter = nullptr, HWND parent = nullptr);

    // Shows the dialog and waits: IDOK when a file was chosen, else IDCANCEL.
    INT_PTR DoModal();
    // The full path chosen by the last DoModal; empty when none was.
    WideString GetPathName() const;

private:
    bool open_;
    WideString defaultExtension_;
    WideString fileName_;
    DWORD flags_;
    WideString filter_;
    [[maybe_unused]] HWND parent_; // the owner a real dialog would be modal to
    WideString pathName_;
};
