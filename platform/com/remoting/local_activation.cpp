#include "com/remoting/local_activation.h"

#include "com/remoting/client_connection.h"

#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace paginor::remoting {

namespace {

std::string KeyOf(const LocalServerEntry& server) {
    return server.executable + '\n' + server.module + '\n' + server.registryPath;
}

// The connections of running servers. Only weak references: a connection
// lives exactly as long as the objects that came from its server. Never
// touched by a connection that closes, so it may go before them at exit.
struct RunningServers {
    std::mutex mutex;
    std::map<std::string, std::weak_ptr<ClientConnection>> byCommand;
};

RunningServers& Running() {
    static RunningServers running;
    return running;
}

} // namespace

HRESULT CreateLocalInstance(const LocalServerEntry& server, REFCLSID clsid, REFIID riid,
                            void** object) {
    std::shared_ptr<ClientConnection> connection;
    {
        RunningServers& running = Running();
        std::lock_guard lock(running.mutex);
        std::weak_ptr<ClientConnection>& slot = running.byCommand[KeyOf(server)];
        connection = slot.lock();
        if (!connection || !connection->Usable()) {
            HRESULT failure = S_OK;
            connection = ClientConnection::Start(server, failure);
            if (!connection) {
                return failure;
            }
            slot = connection;
        }
    }
    return connection->CreateInstance(clsid, riid, object);
}

int RunningServerPid(const LocalServerEntry& server) {
    RunningServers& running = Running();
    std::lock_guard lock(running.mutex);
    const auto found = running.byCommand.find(KeyOf(server));
    if (found == running.byCommand.end()) {
        return 0;
    }
    const std::shared_ptr<ClientConnection> connection = found->second.lock();
    return connection && connection->Usable() ? connection->ServerPid() : 0;
}

} // namespace paginor::remoting
