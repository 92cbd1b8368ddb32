// The plug-in library must export FMExternCallProc and nothing else.
#include "plugin_host.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <dlfcn.h>
#include <memory>
#include <set>
#include <sstream>
#include <string>

namespace {

TEST(PluginExports, OnlyTheEntryPointIsExported) {
    const std::string path = plugin_host::DefaultPluginPath();
    void* library = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    ASSERT_NE(library, nullptr) << dlerror();
    EXPECT_NE(dlsym(library, "FMExternCallProc"), nullptr);
    EXPECT_EQ(dlsym(library, "QELT_Version"), nullptr);
    dlclose(library);

    const std::string command = std::string(PAGINOR_NM) + " -D --defined-only " + path;
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[512];
    while (fgets(buffer, sizeof buffer, pipe.get()) != nullptr) {
        output += buffer;
    }
    std::set<std::string> symbols;
    std::istringstream lines(output);
    std::string address, kind, name;
    while (lines >> address >> kind >> name) {
        symbols.insert(name);
    }
    EXPECT_EQ(symbols, std::set<std::string>{"FMExternCallProc"}) << output;
}

} // namespace
