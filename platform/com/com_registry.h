// The class registry: which CLSID a ProgID names, which in-process module or
// local server implements a CLSID, and which module holds the proxies and
// stubs of an interface. It is a small text file (format in README.md here),
// found beside libcom unless PAGINOR_COM_REGISTRY or an override names another.
#pragma once

#include "com/com.h"

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace paginor {

// The file the runtime reads now: the innermost live override, else the
// environment variable, else com_registry.txt in libcom's own folder.
std::string ActiveComRegistryPath();

// Looks a ProgID up, ignoring ASCII letter case.
std::optional<CLSID> LookUpProgId(std::u16string_view progId);
// The first ProgID registered for a class, as written in the file.
std::optional<std::u16string> LookUpProgIdOfClass(const CLSID& clsid);
// The absolute (or as-written absolute) path of the in-process module
// serving a class.
std::optional<std::string> LookUpServerModule(const CLSID& clsid);

// A class served by a program of its own: the runtime starts `executable`
// (with `module` as its last argument when there is one) and talks to it.
struct LocalServerEntry {
    std::string executable;   // absolute
    std::string module;       // absolute, or empty
    std::u16string name;      // how failure descriptions call the server
    std::string registryPath; // the registry the entry was read from
};
std::optional<LocalServerEntry> LookUpLocalServer(const CLSID& clsid);

// Every interface whose proxies and stubs live in a module, with the module.
std::vector<std::pair<IID, std::string>> InterfaceModules();
std::optional<std::string> LookUpInterfaceModule(const IID& iid);

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
