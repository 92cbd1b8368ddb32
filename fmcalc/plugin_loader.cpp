#include "plugin_loader.h"

#include "builtins.h"
#include "unicode_text.h"

#include "fmx/fmx.h"
#include "fmx/fmx_host.h"

#include <cmath>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <unistd.h>

#ifndef FMCALC_PLUGIN_FILE_NAME
#define FMCALC_PLUGIN_FILE_NAME "libpaginor.so"
#endif

namespace fmcalc {
namespace {

// GetString answers fit in this many UTF-16 units, as the host's own buffer.
constexpr std::uint32_t string_buffer_units = 1024;
constexpr std::uint32_t us_english = 1033;

struct DataVectDeleter {
    void operator()(FMX_DataVect* v) const { FMXHost_DataVect_Delete(v); }
};
struct DataDeleter {
    void operator()(FMX_Data* d) const { FMXHost_Data_Delete(d); }
};
using DataVectHolder = std::unique_ptr<FMX_DataVect, DataVectDeleter>;
using DataHolder = std::unique_ptr<FMX_Data, DataDeleter>;

std::u16string copy_zero_terminated(const FMX_UniChar* s) {
    return s ? std::u16string(s) : std::u16string();
}

void push_argument(FMX_DataVect* parameters, const Value& arg) {
    switch (arg.kind()) {
    case Value::Kind::Number:
        FMXHost_DataVect_PushNumber(parameters, arg.number_value());
        return;
    case Value::Kind::DateTime: {
        const DateTime& d = arg.date_time_value();
        FMXHost_DataVect_PushDateTime(parameters, d.year, d.month, d.day, d.hour, d.minute,
                                      d.second);
        return;
    }
    case Value::Kind::Text:
    case Value::Kind::Error:
        break;
    }
    const std::u16string text = arg.as_text();
    FMXHost_DataVect_PushText(parameters, text.c_str(), text.size());
}

Value read_result(const FMX_Data* result) {
    switch (FMXHost_Data_GetType(result)) {
    case FMX_DATA_TYPE_NUMBER:
        return Value::number(FMXHost_Data_GetNumber(result));
    case FMX_DATA_TYPE_DATE: {
        FMXHost_DateTimeParts parts{};
        if (FMXHost_Data_GetDateTime(result, &parts))
            return Value::date_time(DateTime{parts.year, parts.month, parts.day, parts.hour,
                                             parts.minute, parts.second});
        break;
    }
    case FMX_DATA_TYPE_TEXT: {
        const std::size_t length = FMXHost_Data_GetText(result, nullptr, 0);
        std::u16string text(length, u'\0');
        FMXHost_Data_GetText(result, text.data(), text.size());
        return Value::text(std::move(text));
    }
    default:
        break;
    }
    // A function that stored nothing yields empty text, as in the host.
    return Value::text({});
}

} // namespace

// The dlopen handle and the entry point; closing is the last thing done.
struct LoadedPlugin::Library {
    void* handle = nullptr;
    FMX_ExternCallProc entry = nullptr;
    std::uintptr_t instance = 0;
    ~Library() {
        if (handle)
            dlclose(handle);
    }
};

std::string default_plugin_path() {
    std::error_code ec;
    const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
    const auto dir = ec ? std::filesystem::current_path(ec) : exe.parent_path();
    return (dir / FMCALC_PLUGIN_FILE_NAME).string();
}

LoadedPlugin::LoadedPlugin(const std::string& path, int host_version)
    : library_(std::make_unique<Library>()), host_version_(host_version) {
    FMXHost_ClearRegistry();
    library_->handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library_->handle) {
        const char* why = dlerror();
        throw PluginLoadError("cannot load the plug-in " + path + ": " + (why ? why : "unknown"));
    }
    library_->entry =
        reinterpret_cast<FMX_ExternCallProc>(dlsym(library_->handle, "FMExternCallProc"));
    if (!library_->entry)
        throw PluginLoadError(path + " is not a plug-in: it exports no FMExternCallProc");
    library_->instance = FMXHost_ModuleBaseOf(reinterpret_cast<const void*>(library_->entry));

    FMX_ExternCallStruct record{};
    record.extnVersion = static_cast<std::int16_t>(host_version);
    record.whichCall = FMX_CALL_INIT;
    record.instanceID = library_->instance;
    library_->entry(&record);
    if (record.result != init_accepted) {
        FMXHost_ClearRegistry();
        throw PluginLoadError("the plug-in refused host version " + std::to_string(host_version) +
                              " (Init answered " + std::to_string(record.result) + ")");
    }

    const std::size_t count = FMXHost_FunctionCount();
    for (std::size_t i = 0; i < count; ++i) {
        FMXHost_FunctionInfo info{};
        if (!FMXHost_FunctionAt(i, &info))
            continue;
        functions_.push_back({copy_zero_terminated(info.name), copy_zero_terminated(info.prototype),
                              info.minArgs, info.maxArgs});
    }
}

LoadedPlugin::~LoadedPlugin() {
    send(FMX_CALL_SHUTDOWN);
    // Anything the plug-in failed to unregister would point into unmapped
    // code once it is closed.
    FMXHost_ClearRegistry();
}

void LoadedPlugin::send(int selector, int parm1, std::uint32_t parm2, std::uint32_t parm3,
                        std::intptr_t result, std::intptr_t* result_out) {
    FMX_ExternCallStruct record{};
    record.extnVersion = static_cast<std::int16_t>(host_version_);
    record.whichCall = static_cast<std::uint8_t>(selector);
    record.parm1 = static_cast<std::uint8_t>(parm1);
    record.parm2 = parm2;
    record.parm3 = parm3;
    record.instanceID = library_->instance;
    record.result = result;
    library_->entry(&record);
    if (result_out)
        *result_out = record.result;
}

std::u16string LoadedPlugin::get_string(int id) {
    std::u16string buffer(string_buffer_units, u'\0');
    send(FMX_CALL_GET_STRING, id, us_english, string_buffer_units,
         reinterpret_cast<std::intptr_t>(buffer.data()));
    buffer.resize(std::u16string(buffer.c_str()).size());
    return buffer;
}

void LoadedPlugin::idle() {
    send(FMX_CALL_IDLE);
}

const ExternalFunction* LoadedPlugin::find(std::u16string_view name) const {
    for (const ExternalFunction& f : functions_) {
        if (equals_ignoring_case(f.name, name))
            return &f;
    }
    return nullptr;
}

Value LoadedPlugin::call(const ExternalFunction& function, const std::vector<Value>& args,
                         std::size_t position) {
    const std::string name = utf16_to_utf8(function.name);
    FMXHost_FunctionInfo info{};
    if (!FMXHost_FindFunction(function.name.c_str(), function.name.size(), &info))
        throw EvaluationError("unknown function " + name, position);

    DataVectHolder parameters(FMXHost_DataVect_New());
    DataHolder result(FMXHost_Data_New());
    if (!parameters || !result)
        throw EvaluationError("out of memory calling " + name, position);
    for (const Value& arg : args)
        push_argument(parameters.get(), arg);

    std::int16_t host_error = 0;
    const std::int32_t outcome =
        FMXHost_CallFunction(&info, parameters.get(), result.get(), &host_error);
    if (outcome == FMXHOST_CALL_BAD_PARAMETER_COUNT)
        throw EvaluationError("wrong number of parameters for function " + name, position);
    if (host_error != 0)
        throw EvaluationError(
            "function " + name + " failed with host error " + std::to_string(host_error), position);
    Value value = read_result(result.get());
    if (value.is_number() && !std::isfinite(value.number_value()))
        throw EvaluationError("function " + name + " returned a number out of range", position);
    return value;
}

} // namespace fmcalc
