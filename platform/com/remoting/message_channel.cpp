#include "com/remoting/message_channel.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

namespace paginor::remoting {

namespace {

constexpr std::size_t kReadChunk = 64 * 1024;
constexpr int kForever = -1;

const auto kAlwaysWait = [] { return true; };

// Waits until `fd` is ready for `events` or `tickMs` passes; answers whether
// to try the transfer again.
bool WaitReady(int fd, short events, int tickMs, FunctionRef<bool()> keepWaiting) {
    pollfd entry{fd, events, 0};
    const int ready = ::poll(&entry, 1, tickMs);
    if (ready == 0) {
        return keepWaiting();
    }
    return true; // ready, interrupted, or an error the next transfer reports
}

} // namespace

ChannelResult MessageChannel::send(std::span<const std::byte> payload) {
    return sendWith(payload, kForever, kAlwaysWait);
}

ChannelResult MessageChannel::receive(std::vector<std::byte>& payload, int alsoWatch) {
    return receiveWith(payload, kForever, kAlwaysWait, alsoWatch);
}

ChannelResult MessageChannel::send(std::span<const std::byte> payload,
                                   std::chrono::milliseconds tick,
                                   FunctionRef<bool()> keepWaiting) {
    return sendWith(payload, static_cast<int>(tick.count()), keepWaiting);
}

ChannelResult MessageChannel::receive(std::vector<std::byte>& payload,
                                      std::chrono::milliseconds tick,
                                      FunctionRef<bool()> keepWaiting) {
    return receiveWith(payload, static_cast<int>(tick.count()), keepWaiting);
}

ChannelResult MessageChannel::sendWith(std::span<const std::byte> payload, int tickMs,
                                       FunctionRef<bool()> keepWaiting) {
    if (!socket_.valid()) {
        return ChannelResult::Closed;
    }
    if (payload.size() > kMaxMessageBytes) {
        return ChannelResult::Broken;
    }
    // One buffer, one write for the usual small message.
    const auto length = static_cast<std::uint32_t>(payload.size());
    outbox_.resize(sizeof length + payload.size());
    std::memcpy(outbox_.data(), &length, sizeof length);
    if (!payload.empty()) {
        std::memcpy(outbox_.data() + sizeof length, payload.data(), payload.size());
    }
    std::size_t sent = 0;
    while (sent < outbox_.size()) {
        const ssize_t written = ::send(socket_.get(), outbox_.data() + sent, outbox_.size() - sent,
                                       MSG_NOSIGNAL | MSG_DONTWAIT);
        if (written >= 0) {
            sent += static_cast<std::size_t>(written);
            continue;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            if (!WaitReady(socket_.get(), POLLOUT, tickMs, keepWaiting)) {
                return ChannelResult::GaveUp;
            }
            continue;
        }
        return errno == EPIPE || errno == ECONNRESET ? ChannelResult::Closed
                                                     : ChannelResult::Broken;
    }
    return ChannelResult::Done;
}

bool MessageChannel::takeBuffered(std::vector<std::byte>& payload, bool& broken) {
    const std::size_t buffered = inbox_.size() - inboxStart_;
    std::uint32_t length = 0;
    if (buffered < sizeof length) {
        return false;
    }
    std::memcpy(&length, inbox_.data() + inboxStart_, sizeof length);
    if (length > kMaxMessageBytes) {
        broken = true;
        return false;
    }
    if (buffered - sizeof length < length) {
        return false;
    }
    const auto first = inbox_.begin() + static_cast<std::ptrdiff_t>(inboxStart_ + sizeof length);
    payload.assign(first, first + length);
    inboxStart_ += sizeof length + length;
    if (inboxStart_ == inbox_.size()) {
        inbox_.clear();
        inboxStart_ = 0;
    }
    return true;
}

ChannelResult MessageChannel::receiveWith(std::vector<std::byte>& payload, int tickMs,
                                          FunctionRef<bool()> keepWaiting, int alsoWatch) {
    for (;;) {
        bool broken = false;
        if (takeBuffered(payload, broken)) {
            return ChannelResult::Done;
        }
        if (broken) {
            return ChannelResult::Broken;
        }
        if (!socket_.valid()) {
            return ChannelResult::Closed;
        }
        if (inboxStart_ > 0) {
            inbox_.erase(inbox_.begin(), inbox_.begin() + static_cast<std::ptrdiff_t>(inboxStart_));
            inboxStart_ = 0;
        }
        if (alsoWatch >= 0) {
            pollfd watched[2] = {{socket_.get(), POLLIN, 0}, {alsoWatch, POLLIN, 0}};
            const int ready = ::poll(watched, 2, -1);
            if (ready < 0 && errno == EINTR) {
                continue; // a signal (the host watch's last tick): watch both again
            }
            if (ready > 0 && watched[1].revents != 0 && watched[0].revents == 0) {
                return ChannelResult::Closed;
            }
        } else if (tickMs != kForever && !WaitReady(socket_.get(), POLLIN, tickMs, keepWaiting)) {
            return ChannelResult::GaveUp;
        }
        if (!chunk_) {
            chunk_ = std::make_unique<std::byte[]>(kReadChunk);
        }
        const int flags = tickMs == kForever ? 0 : MSG_DONTWAIT;
        const ssize_t got = ::recv(socket_.get(), chunk_.get(), kReadChunk, flags);
        if (got > 0) {
            inbox_.insert(inbox_.end(), chunk_.get(), chunk_.get() + got);
            continue;
        }
        if (got == 0) {
            return ChannelResult::Closed;
        }
        if (errno == EINTR) {
            continue;
        }
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            continue; // woken without data; wait again
        }
        return errno == ECONNRESET ? ChannelResult::Closed : ChannelResult::Broken;
    }
}

} // namespace paginor::remoting
