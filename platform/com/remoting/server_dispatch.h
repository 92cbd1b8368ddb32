// Answers one request of a local server's client: creates objects from the
// served module, runs calls through the interfaces' stubs, takes references
// back. Whatever a call throws becomes a failing status; the thread's error
// information travels with a failure when the object vouches for it.
#pragma once

#include "com/remoting/host_watch.h"
#include "com/remoting/local_server.h"
#include "com/remoting/server_object_table.h"
#include "com/remoting/wire_message.h"

#include <span>
#include <string>

namespace paginor::remoting {

class ServerDispatcher {
public:
    ServerDispatcher(std::string module, ServerObjectTable& table, HostWatch& watch,
                     const LocalServerHooks& hooks)
        : module_(std::move(module)), table_(table), watch_(watch), hooks_(hooks) {}

    // Handles `request`, writing the reply into the empty `reply` (left
    // empty for a request that has none). Answers false when the server should end: the
    // client gave back its last object.
    bool Handle(std::span<const std::byte> request, MessageWriter& reply);

private:
    void Create(MessageReader& in, MessageWriter& reply);
    void Call(MessageReader& in, MessageWriter& reply);

    std::string module_;
    ServerObjectTable& table_;
    HostWatch& watch_;
    const LocalServerHooks& hooks_;
};

} // namespace paginor::remoting
