// Loads a plug-in and plays the host's part: Init, GetString, Idle and
// Shutdown through its FMExternCallProc, and calls to the functions it
// registered.
#pragma once

#include "evaluator.h"

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace fmcalc {

// The plug-in could not be loaded or refused to start.
class PluginLoadError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

inline constexpr int default_host_version = 62;
inline constexpr int init_accepted = 53;

class LoadedPlugin : public ExternalFunctions {
public:
    // dlopen, Init; throws PluginLoadError. The process has one function
    // table, so only one plug-in is loaded at a time.
    LoadedPlugin(const std::string& path, int host_version);
    // Shutdown, then dlclose.
    ~LoadedPlugin() override;
    LoadedPlugin(const LoadedPlugin&) = delete;
    LoadedPlugin& operator=(const LoadedPlugin&) = delete;

    std::u16string get_string(int id);
    void idle();
    const std::vector<ExternalFunction>& functions() const { return functions_; }

    const ExternalFunction* find(std::u16string_view name) const override;
    Value call(const ExternalFunction& function, const std::vector<Value>& args,
               std::size_t position) override;

private:
    struct Library;
    void send(int selector, int parm1 = 0, std::uint32_t parm2 = 0, std::uint32_t parm3 = 0,
              std::intptr_t result = 0, std::intptr_t* result_out = nullptr);

    std::unique_ptr<Library> library_;
    int host_version_;
    std::vector<ExternalFunction> functions_;
};

// The plug-in built beside the running executable.
std::string default_plugin_path();

} // namespace fmcalc
