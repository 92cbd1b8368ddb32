#include "forms/pickers.h"

#include "win/dialogs.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

constexpr WCHAR kPdfFilter[] = OLESTR("Acrobat Files (*.PDF)|*.pdf");
constexpr WCHAR kFolderTitle[] = OLESTR("Select Folder Path");
constexpr WCHAR kNoFileSystemPath[] = OLESTR("-3");

// Preselects the folder whose path the picker's caller put in `data`.
int CALLBACK SelectPreselectedFolder(HWND window, UINT message, LPARAM /*param*/, LPARAM data) {
    if (message == BFFM_INITIALIZED) {
        SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
    }
    return 0;
}

class ShellAllocatorRef {
public:
    ShellAllocatorRef() = default;
    ShellAllocatorRef(const ShellAllocatorRef&) = delete;
    ShellAllocatorRef& operator=(const ShellAllocatorRef&) = delete;
    ~ShellAllocatorRef() {
        if (m_allocator != nullptr) {
            m_allocator->Release();
        }
    }
    IMalloc** Receive() noexcept { return &m_allocator; }
    IMalloc* operator->() const noexcept { return m_allocator; }

private:
    IMalloc* m_allocator = nullptr;
};

} // namespace

WideString BrowseForPdfFile() {
    CFileDialog dialog(TRUE, nullptr, nullptr, OFN_EXPLORER, kPdfFilter, nullptr);
    // Confirmed or cancelled, the path the dialog reports tells: empty when
    // no file was chosen.
    dialog.DoModal();
    return dialog.GetPathName();
}

WideString BrowseForFolder(const std::optional<WideString>& preselected) {
    std::vector<WCHAR> buffer(MAX_PATH, OLESTR('\0')); // display name, then the path
    ShellAllocatorRef allocator;
    if (FAILED(SHGetMalloc(allocator.Receive()))) {
        return kNoFileSystemPath;
    }

    BROWSEINFOW info{};
    info.hwndOwner = nullptr;
    info.pidlRoot = nullptr;
    info.pszDisplayName = buffer.data();
    info.lpszTitle = kFolderTitle;
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS;
    if (preselected && !preselected->empty()) {
        info.lpfn = SelectPreselectedFolder;
        info.lParam = reinterpret_cast<LPARAM>(preselected->c_str());
    }

    const auto freeItem = [&allocator](ITEMIDLIST* item) { allocator->Free(item); };
    const std::unique_ptr<ITEMIDLIST, decltype(freeItem)> item(SHBrowseForFolderW(&info), freeItem);
    if (!item) {
        return {}; // cancelled
    }
    if (!SHGetPathFromIDListW(item.get(), buffer.data())) {
        return kNoFileSystemPath;
    }
    return buffer.data();
}

WideString WithoutCarriageReturns(WideString text) {
    std::erase(text, OLESTR('\r'));
    return text;
}
