// A local server for tests: it serves the engine's module, as com_surrogate
// would, and holds one call forever, so a test can kill the engine at a known
// point in the middle of that call.
//
//   PAGINOR_TEST_STALL_AT=IFormField.put_Value   the call to hold
//   PAGINOR_TEST_STALL_REPORT=<file>              written with the server's
//                                                 pid once the call is held
//
// Only the first such call of a test is held: once the report exists, the
// server (and any fresh one) serves every call.
#include "com/remoting/local_server.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

void HoldCallForever(std::string_view interfaceName, std::string_view methodName) {
    const char* wanted = std::getenv("PAGINOR_TEST_STALL_AT");
    const char* report = std::getenv("PAGINOR_TEST_STALL_REPORT");
    if (wanted == nullptr || report == nullptr ||
        std::string(interfaceName) + "." + std::string(methodName) != wanted ||
        std::filesystem::exists(report)) {
        return;
    }
    const std::string partial = std::string(report) + ".partial";
    std::ofstream(partial) << ::getpid() << '\n';
    std::filesystem::rename(partial, report);
    for (;;) {
        ::pause();
    }
}

} // namespace

int main(int argc, char** argv) {
    paginor::remoting::LocalServerHooks hooks;
    hooks.beforeCall = HoldCallForever;
    return paginor::remoting::RunLocalServer(argc, argv, hooks);
}
