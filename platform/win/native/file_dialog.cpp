// The framework's file dialog on Windows: comdlg32's open and save dialogs.
#include "win/dialog_filter.h"
#include "win/dialogs.h"

#include <algorithm>
#include <vector>

namespace {

// Room for the longest path the system allows, terminator included.
constexpr DWORD kPathCapacity = 32768;

WideString TextOrEmpty(LPCWSTR text) {
    return text != nullptr ? text : OLESTR("");
}

LPCWSTR NullWhenEmpty(const WideString& text) {
    return text.empty() ? nullptr : text.c_str();
}

} // namespace

CFileDialog::CFileDialog(BOOL openFileDialog, LPCWSTR defaultExtension, LPCWSTR fileName,
                         DWORD flags, LPCWSTR filter, HWND parent)
    : open_(openFileDialog != FALSE), defaultExtension_(TextOrEmpty(defaultExtension)),
      fileName_(TextOrEmpty(fileName)), flags_(flags), filter_(TextOrEmpty(filter)),
      parent_(parent) {}

INT_PTR CFileDialog::DoModal() {
    pathName_.clear();
    try {
        const WideString filter = paginor::win::CommonDialogFilter(filter_);
        std::vector<WCHAR> path(kPathCapacity, 0);
        fileName_.copy(path.data(), std::min<std::size_t>(fileName_.size(), kPathCapacity - 1));

        OPENFILENAMEW request{};
        request.lStructSize = sizeof request;
        request.hwndOwner = parent_;
        request.lpstrFilter = NullWhenEmpty(filter);
        request.nFilterIndex = filter.empty() ? 0 : 1;
        request.lpstrFile = path.data();
        request.nMaxFile = kPathCapacity;
        request.lpstrDefExt = NullWhenEmpty(defaultExtension_);
        request.Flags = flags_;
        const BOOL chosen = open_ ? GetOpenFileNameW(&request) : GetSaveFileNameW(&request);
        if (!chosen) {
            return IDCANCEL; // cancelled, or the dialog could not be shown
        }
        pathName_ = path.data();
        return IDOK;
    } catch (...) {
        pathName_.clear(); // out of memory: nothing chosen
        return IDCANCEL;
    }
}

WideString CFileDialog::GetPathName() const {
    return pathName_;
}
