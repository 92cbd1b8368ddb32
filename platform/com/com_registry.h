// The class registry: which CLSID a ProgID names and which server module
// implements a CLSID. It is a small text file (format in README.md here),
// found beside libcom unless PAGINOR_COM_REGISTRY or an override names another.
#pragma once

#include "com/com.h"

#include <optional>
#include <string>
#include <string_view>

namespace paginor {

// The file the runtime reads now: the innermost live override, else the
// environment variable, else com_registry.txt in libcom's own folder.
std::string ActiveComRegistryPath();

// Looks a ProgID up, ignoring ASCII letter case.
std::optional<CLSID> LookUpProgId(std::u16string_view progId);
// The absolute (or as-written absolute) path of the module serving a class.
std::optional<std::string> LookUpServerModule(const CLSID& clsid);

// While alive, makes the runtime read another registry file. Overrides nest;
// each restores the previous choice when destroyed. Meant for tests that
// switch registries within one process.
class ComRegistryOverride {
public:
    explicit ComRegistryOverride(std::string path);
    ~ComRegistryOverride();
    ComRegistryOverride(const ComRegistryOverride&) = delete;
    ComRegistryOverride& operator=(const ComRegistryOverride&) = delete;

private:
    std::optional<std::string> previous_;
};

} // namespace paginor
