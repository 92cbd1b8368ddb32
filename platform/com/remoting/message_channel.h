// One end of the stream socket between a client and its local server,
// carrying whole messages: a 32-bit length, then that many bytes. Reads are
// buffered, so a reply usually arrives in one system call. Neither end ever
// gets SIGPIPE from a peer that has gone.
#pragma once

#include "com/remoting/function_ref.h"
#include "com/remoting/unique_fd.h"

#include <chrono>
#include <cstddef>
#include <memory>
#include <span>
#include <vector>

namespace paginor::remoting {

// The most a single message may hold; a longer length is a broken peer.
inline constexpr std::size_t kMaxMessageBytes = std::size_t{1} << 30;

enum class ChannelResult {
    Done,   // the message went out, or one came in
    Closed, // the peer closed its end (or is gone)
    Broken, // a read or write error, or a length no message may have
    GaveUp, // the caller's keepWaiting said stop
};

class MessageChannel {
public:
    explicit MessageChannel(UniqueFd socket) : socket_(std::move(socket)) {}

    int fd() const { return socket_.get(); }
    void close() { socket_.reset(); }

    // Sends one message, blocking until it is written.
    ChannelResult send(std::span<const std::byte> payload);
    // Reads one message, blocking until it is complete. When `alsoWatch`
    // is a descriptor, a wait also ends (Closed) once it becomes readable.
    ChannelResult receive(std::vector<std::byte>& payload, int alsoWatch = -1);

    // The same, but whenever nothing moves for `tick`, asks keepWaiting
    // whether to go on; stops with GaveUp when it answers false.
    ChannelResult send(std::span<const std::byte> payload, std::chrono::milliseconds tick,
                       FunctionRef<bool()> keepWaiting);
    ChannelResult receive(std::vector<std::byte>& payload, std::chrono::milliseconds tick,
                          FunctionRef<bool()> keepWaiting);

private:
    ChannelResult sendWith(std::span<const std::byte> payload, int tickMs,
                           FunctionRef<bool()> keepWaiting);
    ChannelResult receiveWith(std::vector<std::byte>& payload, int tickMs,
                              FunctionRef<bool()> keepWaiting, int alsoWatch = -1);
    // Moves one complete message from the buffer into `payload`, if there is one.
    bool takeBuffered(std::vector<std::byte>& payload, bool& broken);

    UniqueFd socket_;
    std::unique_ptr<std::byte[]> chunk_; // the buffer each read lands in
    std::vector<std::byte> outbox_;
    std::vector<std::byte> inbox_;
    std::size_t inboxStart_ = 0;
};

} // namespace paginor::remoting
