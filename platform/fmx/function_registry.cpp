// FM_ExprEnv_*: the host's table of plug-in functions, and the host-side
// calls that list, find and call them.
#include "call_guard.h"
#include "fmx/fmx_host.h"
#include "fmx_objects.h"
#include "value_text.h"

#include <algorithm>
#include <cstring>

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#endif

using fmx::CallGuard;

namespace {

struct RegisteredFunction {
    std::array<char, 5> pluginId{};
    int16_t functionId = 0;
    fmx::HostString name;
    fmx::HostString prototype;
    int16_t minArgs = 0;
    int16_t maxArgs = 0;
    uint32_t flags = 0;
    FMX_ExternalFunction function = nullptr;
};

std::vector<RegisteredFunction>& Registry() {
    static std::vector<RegisteredFunction> registry;
    return registry;
}

std::array<char, 5> PluginIdOf(const FMX_QuadChar* quad) {
    std::array<char, 5> id{};
    if (quad != nullptr) {
        std::copy(quad->chars.begin(), quad->chars.end(), id.begin());
    }
    return id;
}

auto FindEntry(const std::array<char, 5>& pluginId, int16_t functionId) {
    auto& registry = Registry();
    return std::find_if(registry.begin(), registry.end(), [&](const RegisteredFunction& f) {
        return f.pluginId == pluginId && f.functionId == functionId;
    });
}

FMX_UniChar AsciiLower(FMX_UniChar c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<FMX_UniChar>(c - 'A' + 'a') : c;
}

bool SameNameIgnoringCase(fmx::HostStringView a, fmx::HostStringView b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [](FMX_UniChar x, FMX_UniChar y) { return AsciiLower(x) == AsciiLower(y); });
}

void Describe(const RegisteredFunction& entry, FMXHost_FunctionInfo* out) {
    std::memcpy(out->pluginId, entry.pluginId.data(), entry.pluginId.size());
    out->functionId = entry.functionId;
    out->name = entry.name.c_str();
    out->prototype = entry.prototype.c_str();
    out->minArgs = entry.minArgs;
    out->maxArgs = entry.maxArgs;
    out->flags = entry.flags;
    out->function = entry.function;
}

} // namespace

extern "C" {

int32_t FM_ExprEnv_RegisterExternalFunction(const FMX_QuadChar* pluginId, int16_t functionId,
                                            const FMX_Text* name, const FMX_Text* prototype,
                                            int16_t minArgs, int16_t maxArgs, uint32_t flags,
                                            FMX_ExternalFunction function,
                                            FMX_ErrorContainer* err) {
    return CallGuard<int32_t>(
        "FM_ExprEnv_RegisterExternalFunction", err, FMX_ERR_UNKNOWN, [&]() -> int32_t {
            if (pluginId == nullptr || name == nullptr || function == nullptr ||
                name->value.empty()) {
                return FMX_ERR_UNKNOWN;
            }
            RegisteredFunction entry;
            entry.pluginId = PluginIdOf(pluginId);
            entry.functionId = functionId;
            entry.name = name->value;
            entry.prototype = prototype != nullptr ? prototype->value : name->value;
            entry.minArgs = minArgs;
            entry.maxArgs = maxArgs;
            entry.flags = flags;
            entry.function = function;
            auto existing = FindEntry(entry.pluginId, functionId);
            if (existing != Registry().end()) {
                *existing = std::move(entry);
            } else {
                Registry().push_back(std::move(entry));
            }
            return 0;
        });
}

int32_t FM_ExprEnv_UnRegisterExternalFunction(const FMX_QuadChar* pluginId, int16_t functionId,
                                              FMX_ErrorContainer* err) {
    return CallGuard<int32_t>("FM_ExprEnv_UnRegisterExternalFunction", err, FMX_ERR_UNKNOWN,
                              [&]() -> int32_t {
                                  auto existing = FindEntry(PluginIdOf(pluginId), functionId);
                                  if (existing == Registry().end()) {
                                      return FMX_ERR_UNKNOWN;
                                  }
                                  Registry().erase(existing);
                                  return 0;
                              });
}

size_t FMXHost_FunctionCount(void) {
    return Registry().size();
}

bool FMXHost_FunctionAt(size_t index, FMXHost_FunctionInfo* out) {
    if (out == nullptr || index >= Registry().size()) {
        return false;
    }
    Describe(Registry()[index], out);
    return true;
}

bool FMXHost_FindFunction(const FMX_UniChar* name, size_t length, FMXHost_FunctionInfo* out) {
    if (name == nullptr || out == nullptr) {
        return false;
    }
    const fmx::HostStringView wanted(name, length);
    for (const RegisteredFunction& entry : Registry()) {
        if (SameNameIgnoringCase(entry.name, wanted)) {
            Describe(entry, out);
            return true;
        }
    }
    return false;
}

bool FMXHost_FindFunctionUtf8(const char* name, FMXHost_FunctionInfo* out) {
    if (name == nullptr) {
        return false;
    }
    try {
        const fmx::HostString wide = fmx::Utf16FromUtf8(name);
        return FMXHost_FindFunction(wide.data(), wide.size(), out);
    } catch (...) {
        return false;
    }
}

void FMXHost_ClearRegistry(void) {
    Registry().clear();
}

int32_t FMXHost_CallFunction(const FMXHost_FunctionInfo* function, const FMX_DataVect* parameters,
                             FMX_Data* result, int16_t* hostError) {
    static const FMX_DataVect noParameters;
    static const FMX_ExprEnv environment;
    const FMX_DataVect* actual = parameters != nullptr ? parameters : &noParameters;
    const auto count = static_cast<long>(actual->values.size());
    if (function == nullptr || function->function == nullptr || count < function->minArgs ||
        (function->maxArgs >= 0 && count > function->maxArgs)) {
        return FMXHOST_CALL_BAD_PARAMETER_COUNT;
    }
    const int16_t code = function->function(function->functionId, &environment, actual, result);
    if (hostError != nullptr) {
        *hostError = code;
    }
    return FMXHOST_CALL_OK;
}

uintptr_t FMXHost_ModuleBaseOf(const void* symbol) {
#if defined(_WIN32)
    // A module's handle is its load base; the reference count is left alone.
    HMODULE module = nullptr;
    if (symbol == nullptr || !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                                     GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                                 static_cast<LPCWSTR>(symbol), &module)) {
        return 0;
    }
    return reinterpret_cast<uintptr_t>(module);
#else
    Dl_info info{};
    if (symbol == nullptr || dladdr(symbol, &info) == 0) {
        return 0;
    }
    return reinterpret_cast<uintptr_t>(info.dli_fbase);
#endif
}

} // extern "C"
