// Instance handles on Windows: a module's handle is its load base, found from
// any address inside it, as the application framework's module records it.
#include "win/instance_handle.h"

HINSTANCE InstanceHandleOf(const void* address) noexcept {
    HMODULE module = nullptr;
    if (address == nullptr || !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                                      GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                                  static_cast<LPCWSTR>(address), &module)) {
        return nullptr;
    }
    return module;
}
