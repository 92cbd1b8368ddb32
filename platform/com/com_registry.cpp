#include "com/com_registry.h"

#include "com/guid_text.h"
#include "text_encoding/utf_conversion.h"

#include <dlfcn.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <sstream>
#include <utility>

namespace paginor {

namespace {

std::mutex g_overrideMutex;
std::optional<std::string> g_overridePath;

std::string LowerAscii(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

std::string DefaultRegistryPath() {
    Dl_info info{};
    if (dladdr(reinterpret_cast<const void*>(&DefaultRegistryPath), &info) != 0 &&
        info.dli_fname != nullptr) {
        return (std::filesystem::path(info.dli_fname).parent_path() / "com_registry.txt").string();
    }
    return "com_registry.txt";
}

struct RegistryContents {
    std::map<std::string, CLSID> classOfProgId;       // key: lower-case ProgID
    std::map<std::string, std::string> moduleOfClass; // key: formatted CLSID
};

// Reads the file afresh on every look-up: it is tiny, look-ups are rare, and
// tests rewrite or swap it between calls. A missing file is an empty registry.
RegistryContents ReadRegistry(const std::string& path) {
    RegistryContents contents;
    std::ifstream file(path);
    const std::filesystem::path folder = std::filesystem::path(path).parent_path();
    std::string line;
    while (std::getline(file, line)) {
        std::istringstream fields(line);
        std::string keyword;
        std::string first;
        if (!(fields >> keyword) || keyword.starts_with('#') || !(fields >> first)) {
            continue;
        }
        std::string rest;
        std::getline(fields >> std::ws, rest);
        while (!rest.empty() && std::isspace(static_cast<unsigned char>(rest.back()))) {
            rest.pop_back();
        }
        if (rest.empty()) {
            continue;
        }
        if (keyword == "progid") {
            if (const auto clsid = ParseGuid(std::string_view(rest))) {
                contents.classOfProgId[LowerAscii(first)] = *clsid;
            }
        } else if (keyword == "server") {
            if (const auto clsid = ParseGuid(std::string_view(first))) {
                std::filesystem::path module(rest);
                if (module.is_relative()) {
                    module = folder / module;
                }
                contents.moduleOfClass[FormatGuidUtf8(*clsid)] = module.string();
            }
        }
    }
    return contents;
}

} // namespace

std::string ActiveComRegistryPath() {
    {
        std::lock_guard lock(g_overrideMutex);
        if (g_overridePath) {
            return *g_overridePath;
        }
    }
    if (const char* fromEnvironment = std::getenv("PAGINOR_COM_REGISTRY");
        fromEnvironment != nullptr && *fromEnvironment != '\0') {
        return fromEnvironment;
    }
    return DefaultRegistryPath();
}

std::optional<CLSID> LookUpProgId(std::u16string_view progId) {
    const RegistryContents contents = ReadRegistry(ActiveComRegistryPath());
    const auto found = contents.classOfProgId.find(LowerAscii(Utf16ToUtf8(progId)));
    if (found == contents.classOfProgId.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::optional<std::string> LookUpServerModule(const CLSID& clsid) {
    const RegistryContents contents = ReadRegistry(ActiveComRegistryPath());
    const auto found = contents.moduleOfClass.find(FormatGuidUtf8(clsid));
    if (found == contents.moduleOfClass.end()) {
        return std::nullopt;
    }
    return found->second;
}

ComRegistryOverride::ComRegistryOverride(std::string path) {
    std::lock_guard lock(g_overrideMutex);
    previous_ = std::exchange(g_overridePath, std::move(path));
}

ComRegistryOverride::~ComRegistryOverride() {
    std::lock_guard lock(g_overrideMutex);
    g_overridePath = std::move(previous_);
}

} // namespace paginor
