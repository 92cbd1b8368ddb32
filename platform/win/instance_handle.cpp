#include "win/instance_handle.h"

#include <dlfcn.h>

HINSTANCE InstanceHandleOf(const void* address) noexcept {
    Dl_info info{};
    if (address == nullptr || dladdr(address, &info) == 0) {
        return nullptr;
    }
    return static_cast<HINSTANCE>(info.dli_fbase);
}
