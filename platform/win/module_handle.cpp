#include "win/module_handle.h"

#include "text_encoding/utf_conversion.h"

#include <dlfcn.h>
#include <link.h>

#include <cstdint>
#include <string>

namespace {

// The lowest mapped address of the main program (its first loadable
// segment), which is never null, unlike the load bias of a fixed executable.
int RecordMainProgramBase(dl_phdr_info* info, std::size_t, void* data) {
    for (ElfW(Half) i = 0; i < info->dlpi_phnum; ++i) {
        if (info->dlpi_phdr[i].p_type == PT_LOAD) {
            *static_cast<std::uintptr_t*>(data) = info->dlpi_addr + info->dlpi_phdr[i].p_vaddr;
            break;
        }
    }
    return 1; // the first object listed is the main program
}

} // namespace

extern "C" HMODULE GetModuleHandleW(LPCWSTR moduleName) {
    if (moduleName == nullptr) {
        std::uintptr_t base = 0;
        dl_iterate_phdr(RecordMainProgramBase, &base);
        return reinterpret_cast<HMODULE>(base);
    }
    const std::string name = paginor::Utf16ToUtf8(paginor::Utf16View(moduleName));
    if (name.empty()) {
        return nullptr;
    }
    void* handle = dlopen(name.c_str(), RTLD_LAZY | RTLD_NOLOAD);
    if (handle == nullptr) {
        return nullptr;
    }
    // NOLOAD still counts a reference; give it back; the module stays loaded
    // by whoever loaded it, as a platform module handle carries no reference.
    dlclose(handle);
    return static_cast<HMODULE>(handle);
}
