// A minimal host for conformance tests: loads the built plug-in with dlopen
// and drives it through the real host library (libfmx), as fmcalc does.
//
//     PluginHost host;                       // libpaginor.so beside the test binary
//     ASSERT_EQ(host.Init(), 53);
//     CallResult r = host.Call("QELT_Version", {"long"});
//     EXPECT_EQ(r.text, u"Paginor 3.0.1.0");
//     EXPECT_EQ(host.LastErrorText(), u"Success");
//     EXPECT_EQ(host.LastErrorNumber(), 0);
//
// The destructor sends Shutdown (when Init was accepted and Shutdown not yet
// sent) and unloads the plug-in. One PluginHost at a time: the host's function
// table is process-wide.
#pragma once

#include "fmx/fmx_host.h"

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace plugin_host {

// $PAGINOR_PLUGIN if set, otherwise libpaginor.so in the test binary's folder.
std::string DefaultPluginPath();

std::string Utf8(std::u16string_view text);
std::u16string Utf16(std::string_view text);

// One parameter of a call: text (UTF-8 or UTF-16) or a number.
struct Param {
    Param(const char* text) : isNumber(false), text(Utf16(text)) {}
    Param(const std::string& text) : isNumber(false), text(Utf16(text)) {}
    Param(const char16_t* text) : isNumber(false), text(text) {}
    Param(std::u16string text) : isNumber(false), text(std::move(text)) {}
    Param(double value) : isNumber(true), number(value) {}
    Param(int value) : isNumber(true), number(value) {}

    bool isNumber;
    std::u16string text;
    double number = 0.0;
};

struct CallResult {
    bool admitted = false;       // false: the host refused the parameter count
    std::int16_t hostError = -1; // the function's return code to the host
    std::int32_t type = FMX_DATA_TYPE_NONE;
    std::u16string text; // the value as text, for every type
    double number = 0.0; // the value as a number, for every type
    std::optional<FMXHost_DateTimeParts> date;
};

class PluginHost {
public:
    explicit PluginHost(const std::string& path = DefaultPluginPath());
    ~PluginHost();
    PluginHost(const PluginHost&) = delete;
    PluginHost& operator=(const PluginHost&) = delete;

    bool Loaded() const noexcept { return m_entry != nullptr; }
    const std::string& LoadError() const noexcept { return m_loadError; }

    // Sends one message and returns the record after the call. The record's
    // instanceID is the plug-in's load base; result starts as `result`.
    FMX_ExternCallStruct Send(std::uint8_t selector, std::int16_t version = 62,
                              std::uint8_t parm1 = 0, std::uint32_t parm2 = 0,
                              std::uint32_t parm3 = 0, std::intptr_t result = 0);

    // Init with the given host version; returns the plug-in's answer.
    std::intptr_t Init(std::int16_t hostVersion = 62);
    void Shutdown();
    void Idle() { Send(FMX_CALL_IDLE); }
    // GetString into a buffer of `capacity` units (pre-filled with `fill`).
    std::u16string GetString(std::uint8_t id, std::uint32_t capacity = 1024, char16_t fill = u'\0');

    // Calls a registered function by name (ignoring case), as a calculation would.
    CallResult Call(std::string_view name, std::initializer_list<Param> params = {});
    // Is `name` registered?
    std::optional<FMXHost_FunctionInfo> Find(std::string_view name) const;

    // QELT_GetLastError and QELT_GetLastError( "Number" ).
    std::u16string LastErrorText();
    double LastErrorNumber();

private:
    void* m_library = nullptr;
    FMX_ExternCallProc m_entry = nullptr;
    std::uintptr_t m_instance = 0;
    bool m_initialised = false;
    std::string m_loadError;
};

} // namespace plugin_host
