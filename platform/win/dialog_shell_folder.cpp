// The shell's folder picker and its allocator.
//
// An item identifier list here is one block from the shell allocator holding
// the chosen text and whether it names a file-system folder (an absolute
// path); anything else (a virtual place a responder may name) has no
// file-system path, as on the platform.
#include "win/dialog_requests.h"
#include "win/dialog_testing.h"
#include "win/dialogs.h"

#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <vector>

struct ITEMIDLIST {
    std::uint32_t length; // characters in text, terminator excluded
    std::uint32_t fileSystem;
    char16_t text[1];
};

namespace paginor::win {
namespace {

std::atomic<std::size_t> outstandingAllocations{0};
std::atomic<ULONG> allocatorReferences{0};
std::atomic<bool> allocatorFails{false};

// Every block carries its size in front, so GetSize can answer.
struct alignas(std::max_align_t) BlockHeader {
    SIZE_T size;
};

class ShellAllocator final : public IMalloc {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
        if (object == nullptr) {
            return E_POINTER;
        }
        if (riid == IID_IUnknown || riid == IID_IMalloc) {
            *object = static_cast<IMalloc*>(this);
            AddRef();
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    // The allocator lives as long as the process; the count is kept only so
    // that tests can see every reference given back.
    ULONG STDMETHODCALLTYPE AddRef() override { return ++allocatorReferences; }
    ULONG STDMETHODCALLTYPE Release() override {
        ULONG current = allocatorReferences.load();
        while (current > 0 && !allocatorReferences.compare_exchange_weak(current, current - 1)) {
        }
        return current > 0 ? current - 1 : 0;
    }

    void* STDMETHODCALLTYPE Alloc(SIZE_T size) override {
        auto* header = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + size));
        if (header == nullptr) {
            return nullptr;
        }
        header->size = size;
        ++outstandingAllocations;
        return header + 1;
    }
    void* STDMETHODCALLTYPE Realloc(void* block, SIZE_T size) override {
        if (block == nullptr) {
            return Alloc(size);
        }
        if (size == 0) {
            Free(block);
            return nullptr;
        }
        auto* header = static_cast<BlockHeader*>(block) - 1;
        auto* moved = static_cast<BlockHeader*>(std::realloc(header, sizeof(BlockHeader) + size));
        if (moved == nullptr) {
            return nullptr;
        }
        moved->size = size;
        return moved + 1;
    }
    void STDMETHODCALLTYPE Free(void* block) override {
        if (block != nullptr) {
            --outstandingAllocations;
            std::free(static_cast<BlockHeader*>(block) - 1);
        }
    }
    SIZE_T STDMETHODCALLTYPE GetSize(void* block) override {
        return block == nullptr ? static_cast<SIZE_T>(-1)
                                : (static_cast<BlockHeader*>(block) - 1)->size;
    }
    int STDMETHODCALLTYPE DidAlloc(void* block) override { return block == nullptr ? 0 : -1; }
    void STDMETHODCALLTYPE HeapMinimize() override {}
};

ShellAllocator& TheShellAllocator() {
    static ShellAllocator allocator;
    return allocator;
}

// A folder picker while it is open: what its callback has selected.
struct FolderPickerWindow {
    std::u16string selection;
};

// Pickers open on this thread, innermost last (a callback may open another).
thread_local std::vector<FolderPickerWindow*> openPickers;

class OpenPickerRegistration {
public:
    explicit OpenPickerRegistration(FolderPickerWindow* window) : window_(window) {
        openPickers.push_back(window);
    }
    OpenPickerRegistration(const OpenPickerRegistration&) = delete;
    OpenPickerRegistration& operator=(const OpenPickerRegistration&) = delete;
    ~OpenPickerRegistration() { std::erase(openPickers, window_); }

private:
    FolderPickerWindow* window_;
};

FolderPickerWindow* FindOpenPicker(HWND window) {
    for (FolderPickerWindow* picker : openPickers) {
        if (reinterpret_cast<HWND>(picker) == window) {
            return picker;
        }
    }
    return nullptr;
}

std::u16string ItemText(PCIDLIST_ABSOLUTE item) {
    return item == nullptr ? std::u16string() : std::u16string(item->text, item->length);
}

PIDLIST_ABSOLUTE MakeItem(const std::u16string& text) {
    const SIZE_T bytes = offsetof(ITEMIDLIST, text) + (text.size() + 1) * sizeof(char16_t);
    auto* item = static_cast<PIDLIST_ABSOLUTE>(TheShellAllocator().Alloc(bytes));
    if (item == nullptr) {
        return nullptr;
    }
    item->length = static_cast<std::uint32_t>(text.size());
    item->fileSystem = !text.empty() && text.front() == u'/' ? 1 : 0;
    std::memcpy(item->text, text.data(), text.size() * sizeof(char16_t));
    item->text[text.size()] = u'\0';
    return item;
}

// The last path component, as the picker shows the chosen folder's name.
std::u16string DisplayName(const std::u16string& path) {
    std::u16string_view name(path);
    while (name.size() > 1 && name.back() == u'/') {
        name.remove_suffix(1);
    }
    const auto slash = name.find_last_of(u'/');
    if (slash != std::u16string_view::npos && name.size() > 1) {
        name.remove_prefix(slash + 1);
    }
    return std::u16string(name);
}

void CopyBounded(const std::u16string& text, LPWSTR target) {
    const std::size_t count = std::min<std::size_t>(text.size(), MAX_PATH - 1);
    std::copy_n(text.data(), count, target);
    target[count] = u'\0';
}

} // namespace

std::size_t OutstandingShellAllocations() {
    return outstandingAllocations.load();
}
ULONG ShellAllocatorReferences() {
    return allocatorReferences.load();
}
void SimulateShellAllocatorFailure(bool fail) {
    allocatorFails = fail;
}

} // namespace paginor::win

using namespace paginor::win;

extern "C" HRESULT SHGetMalloc(IMalloc** allocator) {
    if (allocator == nullptr) {
        return E_INVALIDARG;
    }
    if (allocatorFails.load()) {
        *allocator = nullptr;
        return E_FAIL;
    }
    *allocator = &TheShellAllocator();
    (*allocator)->AddRef();
    return S_OK;
}

extern "C" PIDLIST_ABSOLUTE SHBrowseForFolderW(BROWSEINFOW* info) {
    if (info == nullptr) {
        return nullptr;
    }
    try {
        FolderPickerWindow window;
        DialogAnswer answer;
        {
            const OpenPickerRegistration registration(&window);
            const HWND handle = reinterpret_cast<HWND>(&window);
            if (info->lpfn != nullptr) {
                info->lpfn(handle, BFFM_INITIALIZED, 0, info->lParam);
            }
            DialogRequest request;
            request.kind = DialogKind::Folder;
            request.title = info->lpszTitle != nullptr ? info->lpszTitle : u"";
            request.initialFolder = window.selection;
            request.flags = info->ulFlags;
            answer = RequestDialogAnswer(request);
        }
        if (!answer) {
            return nullptr;
        }
        if (info->pszDisplayName != nullptr) {
            CopyBounded(DisplayName(*answer), info->pszDisplayName);
        }
        return MakeItem(*answer);
    } catch (...) {
        return nullptr; // out of memory: as if cancelled
    }
}

extern "C" BOOL SHGetPathFromIDListW(PCIDLIST_ABSOLUTE item, LPWSTR path) {
    if (path == nullptr) {
        return FALSE;
    }
    path[0] = u'\0';
    if (item == nullptr || item->fileSystem == 0 || item->length >= MAX_PATH) {
        return FALSE;
    }
    std::copy_n(item->text, item->length, path);
    path[item->length] = u'\0';
    return TRUE;
}

extern "C" LRESULT SendMessageW(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    FolderPickerWindow* picker = FindOpenPicker(window);
    if (picker == nullptr || message != BFFM_SETSELECTIONW) {
        return 0;
    }
    try {
        if (wParam != 0) {
            const auto* text = reinterpret_cast<LPCWSTR>(lParam);
            picker->selection = text != nullptr ? text : u"";
        } else {
            picker->selection = ItemText(reinterpret_cast<PCIDLIST_ABSOLUTE>(lParam));
        }
    } catch (...) {
        // Out of memory: the picker opens without a selection.
    }
    return 0;
}
