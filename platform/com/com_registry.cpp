#include "com/com_registry.h"

#include "com/guid_text.h"
#include "text_encoding/utf_conversion.h"

#include <dlfcn.h>

#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <sstream>
#include <utility>
#include <vector>

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
    std::map<std::string, CLSID> classOfProgId;          // key: lower-case ProgID
    std::map<std::string, std::u16string> progIdOfClass; // key: formatted CLSID
    std::map<std::string, std::string> moduleOfClass;    // key: formatted CLSID
    std::map<std::string, LocalServerEntry> localServerOfClass;
    std::map<std::string, std::u16string> nameOfClass;
    std::vector<std::pair<IID, std::string>> interfaceModules;
};

std::string Absolute(const std::filesystem::path& folder, const std::string& written) {
    std::filesystem::path path(written);
    if (path.is_relative()) {
        path = folder / path;
    }
    return path.string();
}

// Splits a command into words at blanks; a word in double quotes may hold
// blanks. An unterminated quote runs to the end of the line.
std::vector<std::string> SplitWords(std::string_view text) {
    std::vector<std::string> words;
    std::size_t at = 0;
    while (at < text.size()) {
        if (std::isspace(static_cast<unsigned char>(text[at]))) {
            ++at;
            continue;
        }
        std::string word;
        if (text[at] == '"') {
            const std::size_t close = text.find('"', at + 1);
            const std::size_t end = close == std::string_view::npos ? text.size() : close;
            word = std::string(text.substr(at + 1, end - at - 1));
            at = close == std::string_view::npos ? text.size() : close + 1;
        } else {
            std::size_t end = at;
            while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) {
                ++end;
            }
            word = std::string(text.substr(at, end - at));
            at = end;
        }
        words.push_back(std::move(word));
    }
    return words;
}

// The registry's lines, read from `path` (whose folder relative paths are
// taken from).
RegistryContents ParseRegistry(const std::string& text, const std::string& path) {
    RegistryContents contents;
    std::istringstream file(text);
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
                contents.progIdOfClass.try_emplace(FormatGuidUtf8(*clsid), Utf8ToUtf16(first));
            }
            continue;
        }
        const auto guid = ParseGuid(std::string_view(first));
        if (!guid) {
            continue;
        }
        if (keyword == "server") {
            contents.moduleOfClass[FormatGuidUtf8(*guid)] = Absolute(folder, rest);
        } else if (keyword == "local") {
            const std::vector<std::string> words = SplitWords(rest);
            if (words.empty() || words.size() > 2) {
                continue;
            }
            LocalServerEntry entry;
            entry.executable = Absolute(folder, words[0]);
            if (words.size() == 2) {
                entry.module = Absolute(folder, words[1]);
            }
            entry.registryPath = path;
            contents.localServerOfClass[FormatGuidUtf8(*guid)] = std::move(entry);
        } else if (keyword == "name") {
            contents.nameOfClass[FormatGuidUtf8(*guid)] = Utf8ToUtf16(rest);
        } else if (keyword == "interface") {
            contents.interfaceModules.emplace_back(*guid, Absolute(folder, rest));
        }
    }
    return contents;
}

// The last text parsed. A look-up made after it was destroyed at exit (a
// release that loads a proxy) parses without it.
struct ParsedRegistry {
    std::mutex mutex;
    std::string path;
    std::string text;
    std::shared_ptr<const RegistryContents> contents;
    ~ParsedRegistry();
};
bool g_parsedRegistryGone = false;
ParsedRegistry::~ParsedRegistry() {
    g_parsedRegistryGone = true;
}

// Reads the file afresh on every look-up, because tests rewrite or swap it
// between calls, but parses it again only when its text changed: a page's
// text takes a few class look-ups, and parsing was most of their cost. A
// missing file is an empty registry.
std::shared_ptr<const RegistryContents> ReadRegistry(const std::string& path) {
    std::string text;
    if (std::ifstream file{path, std::ios::binary}) {
        std::ostringstream read;
        read << file.rdbuf();
        text = std::move(read).str();
    }
    if (g_parsedRegistryGone) {
        return std::make_shared<const RegistryContents>(ParseRegistry(text, path));
    }
    static ParsedRegistry last;
    std::lock_guard lock(last.mutex);
    if (!last.contents || path != last.path || text != last.text) {
        last.contents = std::make_shared<const RegistryContents>(ParseRegistry(text, path));
        last.path = path;
        last.text = std::move(text);
    }
    return last.contents;
}

template <typename Value>
std::optional<Value> Find(const std::map<std::string, Value>& table, const GUID& guid) {
    const auto found = table.find(FormatGuidUtf8(guid));
    if (found == table.end()) {
        return std::nullopt;
    }
    return found->second;
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
    const auto contents = ReadRegistry(ActiveComRegistryPath());
    const auto found = contents->classOfProgId.find(LowerAscii(Utf16ToUtf8(progId)));
    if (found == contents->classOfProgId.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::optional<std::u16string> LookUpProgIdOfClass(const CLSID& clsid) {
    return Find(ReadRegistry(ActiveComRegistryPath())->progIdOfClass, clsid);
}

std::optional<std::string> LookUpServerModule(const CLSID& clsid) {
    return Find(ReadRegistry(ActiveComRegistryPath())->moduleOfClass, clsid);
}

std::optional<LocalServerEntry> LookUpLocalServer(const CLSID& clsid) {
    const auto contents = ReadRegistry(ActiveComRegistryPath());
    std::optional<LocalServerEntry> entry = Find(contents->localServerOfClass, clsid);
    if (entry) {
        entry->name = Find(contents->nameOfClass, clsid).value_or(u"the server");
    }
    return entry;
}

std::vector<std::pair<IID, std::string>> InterfaceModules() {
    return ReadRegistry(ActiveComRegistryPath())->interfaceModules;
}

std::optional<std::string> LookUpInterfaceModule(const IID& iid) {
    const auto contents = ReadRegistry(ActiveComRegistryPath());
    for (const auto& [listed, module] : contents->interfaceModules) {
        if (listed == iid) {
            return module;
        }
    }
    return std::nullopt;
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
