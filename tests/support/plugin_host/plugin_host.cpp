#include "plugin_host.h"

#include "text_encoding/utf_conversion.h"

#include <cstdlib>
#include <dlfcn.h>
#include <memory>
#include <unistd.h>
#include <vector>

namespace plugin_host {

std::string DefaultPluginPath() {
    if (const char* path = std::getenv("PAGINOR_PLUGIN"); path != nullptr && *path != '\0') {
        return path;
    }
    std::vector<char> self(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", self.data(), self.size() - 1);
    std::string dir = length > 0 ? std::string(self.data(), static_cast<std::size_t>(length)) : "";
    const std::size_t slash = dir.rfind('/');
    dir = slash == std::string::npos ? "." : dir.substr(0, slash);
    return dir + "/libpaginor.so";
}

// Converted here rather than through libfmx, so that building a test's
// parameters never consumes a fault injected for the plug-in.
std::u16string Utf16(std::string_view text) {
    return paginor::Utf8ToUtf16(text);
}

std::string Utf8(std::u16string_view text) {
    return paginor::Utf16ToUtf8(text);
}

PluginHost::PluginHost(const std::string& path) {
    FMXHost_ClearRegistry();
    m_library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (m_library == nullptr) {
        const char* error = dlerror();
        m_loadError = error != nullptr ? error : "dlopen failed";
        return;
    }
    m_entry = reinterpret_cast<FMX_ExternCallProc>(dlsym(m_library, "FMExternCallProc"));
    if (m_entry == nullptr) {
        m_loadError = "no FMExternCallProc in " + path;
        return;
    }
    m_instance = FMXHost_ModuleBaseOf(reinterpret_cast<const void*>(m_entry));
}

PluginHost::~PluginHost() {
    if (m_initialised) {
        Shutdown();
    }
    if (m_library != nullptr) {
        dlclose(m_library);
    }
    FMXHost_ClearRegistry();
}

FMX_ExternCallStruct PluginHost::Send(std::uint8_t selector, std::int16_t version,
                                      std::uint8_t parm1, std::uint32_t parm2, std::uint32_t parm3,
                                      std::intptr_t result) {
    FMX_ExternCallStruct record{};
    record.extnVersion = version;
    record.whichCall = selector;
    record.parm1 = parm1;
    record.parm2 = parm2;
    record.parm3 = parm3;
    record.instanceID = m_instance;
    record.result = result;
    if (m_entry != nullptr) {
        m_entry(&record);
    }
    return record;
}

std::intptr_t PluginHost::Init(std::int16_t hostVersion) {
    const std::intptr_t answer = Send(FMX_CALL_INIT, hostVersion).result;
    m_initialised = m_initialised || answer != FMX_INIT_REFUSED;
    return answer;
}

void PluginHost::Shutdown() {
    Send(FMX_CALL_SHUTDOWN);
    m_initialised = false;
}

std::u16string PluginHost::GetString(std::uint8_t id, std::uint32_t capacity, char16_t fill) {
    std::u16string buffer(capacity + 1, fill);
    buffer[capacity] = u'\0';
    Send(FMX_CALL_GET_STRING, 62, id, 1033, capacity,
         reinterpret_cast<std::intptr_t>(buffer.data()));
    return std::u16string(buffer.c_str());
}

std::optional<FMXHost_FunctionInfo> PluginHost::Find(std::string_view name) const {
    FMXHost_FunctionInfo info{};
    const std::string terminated(name);
    if (!FMXHost_FindFunctionUtf8(terminated.c_str(), &info)) {
        return std::nullopt;
    }
    return info;
}

CallResult PluginHost::Call(std::string_view name, std::initializer_list<Param> params) {
    CallResult out;
    const auto function = Find(name);
    if (!function) {
        return out;
    }
    std::unique_ptr<FMX_DataVect, void (*)(FMX_DataVect*)> vect(FMXHost_DataVect_New(),
                                                                FMXHost_DataVect_Delete);
    for (const Param& param : params) {
        if (param.isNumber) {
            FMXHost_DataVect_PushNumber(vect.get(), param.number);
        } else {
            FMXHost_DataVect_PushText(vect.get(), param.text.data(), param.text.size());
        }
    }
    std::unique_ptr<FMX_Data, void (*)(FMX_Data*)> data(FMXHost_Data_New(), FMXHost_Data_Delete);
    if (FMXHost_CallFunction(&*function, vect.get(), data.get(), &out.hostError) !=
        FMXHOST_CALL_OK) {
        return out;
    }
    out.admitted = true;
    out.type = FMXHost_Data_GetType(data.get());
    out.text.resize(FMXHost_Data_GetText(data.get(), nullptr, 0));
    FMXHost_Data_GetText(data.get(), out.text.data(), out.text.size());
    out.number = FMXHost_Data_GetNumber(data.get());
    FMXHost_DateTimeParts parts{};
    if (FMXHost_Data_GetDateTime(data.get(), &parts)) {
        out.date = parts;
    }
    return out;
}

std::u16string PluginHost::LastErrorText() {
    return Call("QELT_GetLastError").text;
}

double PluginHost::LastErrorNumber() {
    return Call("QELT_GetLastError", {"Number"}).number;
}

} // namespace plugin_host
