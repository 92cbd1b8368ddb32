// The messages a --jobs batch passes between fmcalc and its worker
// processes over pipes: length-prefixed frames of integers, texts and
// calculation values.
#pragma once

#include "value.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace fmcalc::wire {

enum class Message : char {
    Calculations = 'C', // to a worker: the script, once
    Row = 'R',          // to a worker: one row to run
    Ready = 'H',        // from a worker: plug-in loaded, script received
    RowDone = 'D',      // from a worker: a row's output and outcome
};

class Writer {
public:
    explicit Writer(Message kind) { buffer_.push_back(static_cast<char>(kind)); }
    void number(std::uint64_t n);
    void text(std::string_view utf8);
    void value(const Value& v);
    // The frame: a 4-byte length, then the message.
    std::string frame() const;

private:
    std::string buffer_;
};

class Reader {
public:
    explicit Reader(std::string_view message) : data_(message) {}
    // The message kind (the first byte).
    std::optional<Message> kind();
    std::uint64_t number();
    std::string text();
    Value value();
    // False once a read ran past the end: the message was malformed.
    bool ok() const { return ok_; }

private:
    bool take(std::size_t count, std::string_view& out);

    std::string_view data_;
    std::size_t position_ = 0;
    bool ok_ = true;
};

// The first complete frame's message in `buffer`, removed from it; nothing
// while the frame is incomplete.
std::optional<std::string> take_frame(std::string& buffer);

// Writes all of `bytes` (retrying on EINTR); false when the pipe is closed.
bool write_all(int fd, std::string_view bytes);

// Blocks until one whole frame has arrived; nothing at end of input.
std::optional<std::string> read_frame(int fd);

} // namespace fmcalc::wire
