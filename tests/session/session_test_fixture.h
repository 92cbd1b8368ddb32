// A loaded plug-in driven through the host API, with the scriptable server
// registered behind the automation ProgIDs and a readable file to open.
#pragma once

#include "plugin_host.h"
#include "scriptable_server.h"
#include "support/scratch_folder.h"
#include "win/hooks_testing.h"
#include "win/thread.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class SessionFixture {
public:
    // `omittedProgIds` are left out of the registry, so their class lookup fails.
    explicit SessionFixture(const std::vector<std::u16string>& omittedProgIds = {}) {
        m_file = (m_folder / "form.pdf").string();
        std::ofstream(m_file) << "%PDF-1.4\n";
        std::string registry = paginor::scripted::GeneratedRegistryPath();
        if (!omittedProgIds.empty()) {
            registry = (m_folder / "registry.txt").string();
            paginor::scripted::WriteRegistry(registry, omittedProgIds);
        }
        m_server = std::make_unique<paginor::scripted::ScopedScriptableServer>(registry);
        m_host = std::make_unique<plugin_host::PluginHost>();
    }

    ~SessionFixture() {
        m_host.reset(); // Shutdown and unload while the server is still registered
        // Unloading drops every reference the session still had.
        EXPECT_EQ(paginor::scripted::Script().LiveObjects(), 0);
        m_server.reset();
    }

    bool Start() { return m_host->Loaded() && m_host->Init() == 53; }
    plugin_host::PluginHost& Host() { return *m_host; }
    const std::string& File() const { return m_file; }
    std::string PathInFolder(const std::string& name) const { return (m_folder / name).string(); }

    // Calls a function and checks what every call must leave: admitted by the
    // host, code 0 to the host, and no input hook left, whatever the outcome.
    std::string Call(const std::string& function,
                     std::initializer_list<plugin_host::Param> params) {
        const plugin_host::CallResult result = m_host->Call(function, params);
        EXPECT_TRUE(result.admitted) << function;
        EXPECT_EQ(result.hostError, 0) << function;
        EXPECT_EQ(paginor::win::InstalledHookCount(GetCurrentThreadId()), 0u) << function;
        return plugin_host::Utf8(result.text);
    }

    // The same with no parameter or one.
    std::string Call(const std::string& function, const std::optional<std::string>& param = {}) {
        return param ? Call(function, {*param}) : Call(function, {});
    }

    std::string Open() { return Call("QELT_OpenPDF", m_file); }
    std::string ErrorText() { return plugin_host::Utf8(m_host->LastErrorText()); }
    int ErrorNumber() { return static_cast<int>(m_host->LastErrorNumber()); }

    // Unloads the plug-in (Shutdown first, as a host does).
    void Unload() { m_host.reset(); }

private:
    paginor::test_support::ScratchFolder m_folder{"paginor-session"};
    std::string m_file;
    std::unique_ptr<paginor::scripted::ScopedScriptableServer> m_server;
    std::unique_ptr<plugin_host::PluginHost> m_host;
};

// The last error as the user reads it: number, then message and detail.
inline std::string LastError(SessionFixture& session) {
    return std::to_string(session.ErrorNumber()) + " " + session.ErrorText();
}
