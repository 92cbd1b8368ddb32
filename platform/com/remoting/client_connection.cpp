#include "com/remoting/client_connection.h"

#include "com/com_registry.h"
#include "com/error_info.h"
#include "com/remoting/remote_object.h"
#include "com/remoting/wire_protocol.h"
#include "text_encoding/utf_conversion.h"

#include <sys/socket.h>

#include <chrono>
#include <cstdlib>
#include <fstream>

namespace paginor::remoting {

namespace {

using Clock = std::chrono::steady_clock;

// How often a waiting client looks at the server's memory and the clock.
constexpr std::chrono::milliseconds kWatchTick{10};
// How long a lost server gets to end by itself before it is killed.
constexpr std::chrono::milliseconds kExitGrace{2000};
// How long a server whose client is done gets to release its objects and
// exit (a sanitizer's leak check at exit takes its time).
constexpr std::chrono::milliseconds kShutdownGrace{10000};

constexpr HRESULT kCallFailed = HRESULT_FROM_WIN32(RPC_S_CALL_FAILED);
constexpr HRESULT kServerUnavailable = HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE);

std::u16string CreationOperation(REFCLSID clsid) {
    const std::optional<std::u16string> progId = LookUpProgIdOfClass(clsid);
    return u"creating an " + progId.value_or(u"object") + (progId ? u" object" : u"");
}

} // namespace

std::shared_ptr<ClientConnection> ClientConnection::Start(const LocalServerEntry& entry,
                                                          HRESULT& failure) {
    failure = S_OK;
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) {
        failure = CO_E_SERVER_EXEC_FAILURE;
        return nullptr;
    }
    UniqueFd clientEnd(ends[0]);
    UniqueFd serverEnd(ends[1]);
    std::string why;
    std::unique_ptr<ServerProcess> process = ServerProcess::Start(entry, std::move(serverEnd), why);
    if (!process) {
        failure = CO_E_SERVER_EXEC_FAILURE;
        return nullptr;
    }
    return std::shared_ptr<ClientConnection>(
        new ClientConnection(std::move(clientEnd), std::move(process), entry));
}

ClientConnection::ClientConnection(UniqueFd channel, std::unique_ptr<ServerProcess> process,
                                   const LocalServerEntry& entry)
    : channel_(std::move(channel)), process_(std::move(process)),
      limits_(ServerLimits::FromEnvironment()), serverName_(entry.name),
      serverPid_(process_->pid()), sharedCpu_(serverPid_) {}

ClientConnection::~ClientConnection() {
    // Closing the channel tells the server to exit; it is then reaped.
    channel_.close();
    process_->Reap(kShutdownGrace);
    if (const char* path = std::getenv("PAGINOR_COM_STATISTICS"); path != nullptr && *path != 0) {
        std::ofstream(path, std::ios::app)
            << "server " << serverPid_ << ": " << statistics_.roundTrips << " round trips, "
            << statistics_.releases << " releases (one-way), " << statistics_.bytesSent
            << " bytes sent, " << statistics_.bytesReceived << " bytes received\n";
    }
}

bool ClientConnection::Usable() const {
    std::lock_guard lock(channelMutex_);
    return !loss_;
}

pid_t ClientConnection::ServerPid() const {
    return serverPid_;
}

ConnectionStatistics ClientConnection::Statistics() const {
    std::lock_guard lock(channelMutex_);
    return statistics_;
}

void ClientConnection::LoseServer(ServerLoss::Cause cause,
                                  FunctionRef<std::u16string()> operation) {
    if (cause != ServerLoss::Cause::Ended) {
        process_->Kill();
    }
    const ProcessEnd end = process_->Reap(kExitGrace);
    channel_.close();
    loss_ = ServerLoss{cause, end.Describe(), operation()};
}

HRESULT ClientConnection::FailWithLoss(REFIID iid, HRESULT status) const {
    const std::u16string description = status == kCallFailed
                                           ? DescribeLoss(serverName_, *loss_, limits_)
                                           : DescribeUnavailable(serverName_, *loss_, limits_);
    return ReportComError(iid, description, status);
}

HRESULT ClientConnection::RoundTrip(std::span<const std::byte> request,
                                    std::vector<std::byte>& reply, REFIID iid,
                                    FunctionRef<std::u16string()> operation) {
    std::lock_guard lock(channelMutex_);
    if (loss_) {
        return FailWithLoss(iid, kServerUnavailable);
    }
    const Clock::time_point deadline =
        limits_.callTime.count() > 0 ? Clock::now() + limits_.callTime : Clock::time_point::max();
    std::optional<ServerLoss::Cause> exceeded;
    auto keepWaiting = [&] {
        sharedCpu_.CallIsLong();
        if (limits_.memoryBytes != 0) {
            const std::optional<std::uint64_t> resident = process_->ResidentBytes();
            if (resident && *resident > limits_.memoryBytes) {
                exceeded = ServerLoss::Cause::MemoryLimit;
                return false;
            }
        }
        if (Clock::now() >= deadline) {
            exceeded = ServerLoss::Cause::TimeLimit;
            return false;
        }
        return true;
    };
    ChannelResult result = FlushReleases(keepWaiting);
    sharedCpu_.CallStarts();
    if (result == ChannelResult::Done) {
        result = channel_.send(request, kWatchTick, keepWaiting);
    }
    if (result == ChannelResult::Done) {
        statistics_.bytesSent += request.size();
        result = channel_.receive(reply, kWatchTick, keepWaiting);
    }
    sharedCpu_.CallEnds();
    if (result == ChannelResult::Done) {
        ++statistics_.roundTrips;
        statistics_.bytesReceived += reply.size();
        answeredOnce_ = true;
        return S_OK;
    }
    ServerLoss::Cause cause = ServerLoss::Cause::Ended;
    if (result == ChannelResult::GaveUp && exceeded) {
        cause = *exceeded;
    } else if (result == ChannelResult::Broken) {
        cause = ServerLoss::Cause::BrokenReply;
    }
    LoseServer(cause, operation);
    return FailWithLoss(iid, kCallFailed);
}

HRESULT ClientConnection::BreakOff(REFIID iid, FunctionRef<std::u16string()> operation) {
    std::lock_guard lock(channelMutex_);
    if (!loss_) {
        LoseServer(ServerLoss::Cause::BrokenReply, operation);
        return FailWithLoss(iid, kCallFailed);
    }
    return FailWithLoss(iid, kServerUnavailable);
}

void ClientConnection::SendRelease(std::uint64_t id, std::uint32_t count) {
    std::lock_guard lock(channelMutex_);
    if (loss_) {
        return;
    }
    pendingReleases_.emplace_back(id, count);
    ++statistics_.releases;
    if (pendingReleases_.size() >= kReleaseBatch) {
        // A server that does not take them within a call's time is found
        // lost at the next call; releasing itself never reports.
        const Clock::time_point deadline = Clock::now() + std::max(limits_.callTime, kExitGrace);
        FlushReleases([&] { return Clock::now() < deadline; });
    }
}

ChannelResult ClientConnection::FlushReleases(FunctionRef<bool()> keepWaiting) {
    if (pendingReleases_.empty()) {
        return ChannelResult::Done;
    }
    MessageWriter message;
    message.writeU8(static_cast<std::uint8_t>(RequestKind::Release));
    message.writeU32(static_cast<std::uint32_t>(pendingReleases_.size()));
    for (const auto& [id, count] : pendingReleases_) {
        message.writeU64(id);
        message.writeU32(count);
    }
    pendingReleases_.clear();
    const ChannelResult result = channel_.send(message.bytes(), kWatchTick, keepWaiting);
    if (result == ChannelResult::Done) {
        statistics_.bytesSent += message.size();
    }
    return result;
}

HRESULT ClientConnection::CreateInstance(REFCLSID clsid, REFIID iid, void** object) {
    *object = nullptr;
    MessageWriter request;
    request.writeU8(static_cast<std::uint8_t>(RequestKind::Create));
    request.writeGuid(clsid);
    request.writeGuid(iid);
    std::vector<std::byte> reply;
    bool wasAnswering = false;
    {
        std::lock_guard lock(channelMutex_);
        wasAnswering = answeredOnce_;
    }
    auto operation = [&] { return CreationOperation(clsid); };
    const HRESULT sent = RoundTrip(request.bytes(), reply, iid, operation);
    if (FAILED(sent)) {
        // A server that never answered did not start properly.
        return wasAnswering ? sent : CO_E_SERVER_EXEC_FAILURE;
    }
    try {
        MessageReader reader(reply);
        const HRESULT created = reader.readI32();
        if (FAILED(created)) {
            return created;
        }
        const ComPtr<IUnknown> identity = ImportObject(reader);
        if (!identity) {
            return E_UNEXPECTED;
        }
        return identity->QueryInterface(iid, object);
    } catch (const WireFormatError&) {
        return BreakOff(iid, operation);
    }
}

ComPtr<IUnknown> ClientConnection::ImportObject(MessageReader& reader) {
    const std::uint64_t id = reader.readU64();
    if (id == 0) {
        return {};
    }
    const std::uint32_t count = reader.readU32();
    if (count > kMaxInterfacesPerObject) {
        throw WireFormatError("too many interfaces in an object reference");
    }
    std::vector<RemoteInterface> interfaces(count);
    for (RemoteInterface& entry : interfaces) {
        entry.iid = reader.readGuid();
        entry.primary = (reader.readU8() & kPrimaryInterface) != 0;
        const std::span<const std::byte> snapshot = reader.readBytes(reader.readU32());
        entry.snapshot.assign(snapshot.begin(), snapshot.end());
    }
    std::lock_guard lock(objectsMutex_);
    if (const auto found = objects_.find(id); found != objects_.end()) {
        found->second->AddImportedReference(std::move(interfaces));
        return ComPtr<IUnknown>::Adopt(found->second->Identity());
    }
    auto* object = new RemoteObject(shared_from_this(), id, std::move(interfaces));
    objects_.emplace(id, object);
    return ComPtr<IUnknown>::Adopt(object->Identity());
}

std::optional<std::uint64_t> ClientConnection::IdOf(IUnknown* object) const {
    if (object == nullptr) {
        return 0;
    }
    const RemoteObject* remote = RemoteObject::Behind(object);
    if (remote == nullptr || &remote->Connection() != this) {
        return std::nullopt;
    }
    return remote->Id();
}

} // namespace paginor::remoting
