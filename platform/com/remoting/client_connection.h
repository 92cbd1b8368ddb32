// A client's connection to one local server process: the channel, the
// process and its limits, and the remote objects that stand for the server's
// objects here. One round trip at a time; while it waits for a reply it
// watches the server's resident memory and the call's time, and stops the
// server that exceeds a limit. Once the server is lost, every call answers
// an RPC failure at once. The connection lives as long as its remote objects
// (they hold it); when the last one goes, the channel closes, the server
// exits and is reaped.
#pragma once

#include "com/com.h"
#include "com/com_ptr.h"
#include "com/com_registry.h"
#include "com/remoting/function_ref.h"
#include "com/remoting/message_channel.h"
#include "com/remoting/server_limits.h"
#include "com/remoting/server_loss.h"
#include "com/remoting/server_process.h"
#include "com/remoting/shared_cpu_calls.h"
#include "com/remoting/wire_message.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

namespace paginor::remoting {

class RemoteObject;

// Counts of one connection's traffic (see PAGINOR_COM_STATISTICS).
struct ConnectionStatistics {
    std::uint64_t roundTrips = 0;
    std::uint64_t releases = 0;
    std::uint64_t bytesSent = 0;
    std::uint64_t bytesReceived = 0;
};

class ClientConnection : public std::enable_shared_from_this<ClientConnection> {
public:
    // Starts the entry's server. Null, with the status in `failure`
    // (CO_E_SERVER_EXEC_FAILURE), when the process cannot be started.
    static std::shared_ptr<ClientConnection> Start(const LocalServerEntry& entry, HRESULT& failure);
    ~ClientConnection();
    ClientConnection(const ClientConnection&) = delete;
    ClientConnection& operator=(const ClientConnection&) = delete;

    // False once the server has been lost.
    bool Usable() const;
    pid_t ServerPid() const;

    // Creates an object of `clsid` in the server and answers it as `iid`.
    HRESULT CreateInstance(REFCLSID clsid, REFIID iid, void** object);

    // Sends one request and waits for its reply. S_OK with `reply` filled,
    // or (server lost now or before) an RPC failure code after setting the
    // thread's error information to the loss's description.
    HRESULT RoundTrip(std::span<const std::byte> request, std::vector<std::byte>& reply, REFIID iid,
                      FunctionRef<std::u16string()> operation);
    // A reply that could not be read: stops the server, answers as above.
    HRESULT BreakOff(REFIID iid, FunctionRef<std::u16string()> operation);
    // Gives the server back `count` references to object `id`. Releases
    // are collected and travel ahead of the next request (or once enough
    // have gathered), so that dropping a form's fields costs a few writes,
    // not one per field.
    void SendRelease(std::uint64_t id, std::uint32_t count);

    // The remote object for a reference read from a reply, with one
    // reference for the caller (null for a null reference). Throws
    // WireFormatError for a malformed reference.
    ComPtr<IUnknown> ImportObject(MessageReader& reader);
    // The id to send for `object`: 0 for null, nothing for an object that
    // is not one of this server's.
    std::optional<std::uint64_t> IdOf(IUnknown* object) const;

    // The lock under which remote objects count references and leave.
    std::mutex& ObjectsMutex() { return objectsMutex_; }
    // Called by a remote object that is going, with ObjectsMutex held.
    void ForgetLocked(std::uint64_t id) { objects_.erase(id); }

    ConnectionStatistics Statistics() const;

private:
    ClientConnection(UniqueFd channel, std::unique_ptr<ServerProcess> process,
                     const LocalServerEntry& entry);
    // With channelMutex_ held: the process ends or is stopped for `cause`.
    void LoseServer(ServerLoss::Cause cause, FunctionRef<std::u16string()> operation);
    HRESULT FailWithLoss(REFIID iid, HRESULT status) const;
    // With channelMutex_ held: sends the collected releases.
    ChannelResult FlushReleases(FunctionRef<bool()> keepWaiting);

    mutable std::mutex channelMutex_; // one request/reply at a time; guards what follows
    MessageChannel channel_;
    std::unique_ptr<ServerProcess> process_;
    std::optional<ServerLoss> loss_;
    bool answeredOnce_ = false;
    ConnectionStatistics statistics_;
    std::vector<std::pair<std::uint64_t, std::uint32_t>> pendingReleases_;

    const ServerLimits limits_;
    const std::u16string serverName_;
    const pid_t serverPid_;
    SharedCpuCalls sharedCpu_; // under channelMutex_

    std::mutex objectsMutex_;
    std::unordered_map<std::uint64_t, RemoteObject*> objects_;
};

} // namespace paginor::remoting
