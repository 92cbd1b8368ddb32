// A local server process as its client sees it: started with one end of the
// channel as descriptor 3, watched for its resident size, stopped and reaped.
// The destructor never leaves the process behind: it waits briefly for it to
// end on its own (it does once its channel closes), then kills and reaps it.
#pragma once

#include "com/com_registry.h"
#include "com/remoting/unique_fd.h"

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace paginor::remoting {

// The descriptor number of the channel in the server.
inline constexpr int kServerChannelFd = 3;

// How a reaped process ended.
struct ProcessEnd {
    enum class Kind { Exited, Signalled, Unknown };
    Kind kind = Kind::Unknown;
    int number = 0; // the exit status or the signal

    // "exit status 3", "Segmentation fault", "an unknown cause".
    std::string Describe() const;
};

class ServerProcess {
public:
    // Starts the entry's executable, handing it `channel` as descriptor 3.
    // Null, with the system's error text in `failure`, when it cannot start.
    static std::unique_ptr<ServerProcess> Start(const LocalServerEntry& entry, UniqueFd channel,
                                                std::string& failure);
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    pid_t pid() const { return pid_; }
    bool reaped() const { return end_.has_value(); }

    // The process's resident memory now; nothing once it has ended.
    std::optional<std::uint64_t> ResidentBytes() const;

    // Sends SIGKILL (once, while it is not reaped).
    void Kill();
    // Waits up to `grace` for the process to end, kills it if it has not,
    // reaps it and answers how it ended. Later calls answer the same.
    ProcessEnd Reap(std::chrono::milliseconds grace);

private:
    explicit ServerProcess(pid_t pid);
    bool WaitForEnd(std::chrono::milliseconds grace);

    pid_t pid_;
    UniqueFd pidfd_;
    UniqueFd statm_;
    std::optional<ProcessEnd> end_;
};

} // namespace paginor::remoting
