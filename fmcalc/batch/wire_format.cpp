#include "batch/wire_format.h"

#include "unicode_text.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace fmcalc::wire {
namespace {

constexpr std::size_t length_bytes = 4;
// A frame this long would be a fault, not a row.
constexpr std::uint32_t max_frame = 1u << 30;

void put_u32(std::string& out, std::uint32_t n) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
}

std::uint32_t get_u32(std::string_view in) {
    std::uint32_t n = 0;
    for (int i = 0; i < 4; ++i)
        n |= std::uint32_t{static_cast<unsigned char>(in[static_cast<std::size_t>(i)])} << (8 * i);
    return n;
}

} // namespace

void Writer::number(std::uint64_t n) {
    for (int i = 0; i < 8; ++i)
        buffer_.push_back(static_cast<char>((n >> (8 * i)) & 0xFF));
}

void Writer::text(std::string_view utf8) {
    number(utf8.size());
    buffer_.append(utf8);
}

void Writer::value(const Value& v) {
    switch (v.kind()) {
    case Value::Kind::Number: {
        buffer_.push_back('N');
        std::uint64_t bits = 0;
        const double n = v.number_value();
        std::memcpy(&bits, &n, sizeof bits);
        number(bits);
        return;
    }
    case Value::Kind::DateTime: {
        buffer_.push_back('D');
        const DateTime& d = v.date_time_value();
        for (int part : {d.year, d.month, d.day, d.hour, d.minute, d.second})
            number(static_cast<std::uint64_t>(static_cast<std::int64_t>(part)));
        return;
    }
    case Value::Kind::Text:
    case Value::Kind::Error:
        break;
    }
    buffer_.push_back('T');
    text(utf16_to_utf8(v.as_text()));
}

std::string Writer::frame() const {
    std::string out;
    put_u32(out, static_cast<std::uint32_t>(buffer_.size()));
    return out + buffer_;
}

bool Reader::take(std::size_t count, std::string_view& out) {
    if (!ok_ || data_.size() - position_ < count) {
        ok_ = false;
        return false;
    }
    out = data_.substr(position_, count);
    position_ += count;
    return true;
}

std::optional<Message> Reader::kind() {
    std::string_view byte;
    if (!take(1, byte))
        return std::nullopt;
    return static_cast<Message>(byte[0]);
}

std::uint64_t Reader::number() {
    std::string_view bytes;
    if (!take(8, bytes))
        return 0;
    std::uint64_t n = 0;
    for (std::size_t i = 0; i < 8; ++i)
        n |= std::uint64_t{static_cast<unsigned char>(bytes[i])} << (8 * i);
    return n;
}

std::string Reader::text() {
    const std::uint64_t size = number();
    std::string_view bytes;
    if (!take(static_cast<std::size_t>(size), bytes))
        return {};
    return std::string(bytes);
}

Value Reader::value() {
    std::string_view tag;
    if (!take(1, tag))
        return Value::text({});
    if (tag[0] == 'N') {
        const std::uint64_t bits = number();
        double n = 0;
        std::memcpy(&n, &bits, sizeof n);
        return Value::number(n);
    }
    if (tag[0] == 'D') {
        int parts[6];
        for (int& part : parts)
            part = static_cast<int>(static_cast<std::int64_t>(number()));
        return Value::date_time({parts[0], parts[1], parts[2], parts[3], parts[4], parts[5]});
    }
    return Value::text(utf8_to_utf16(text()));
}

std::optional<std::string> take_frame(std::string& buffer) {
    if (buffer.size() < length_bytes)
        return std::nullopt;
    const std::uint32_t size = get_u32(buffer);
    if (buffer.size() - length_bytes < size)
        return std::nullopt;
    std::string message = buffer.substr(length_bytes, size);
    buffer.erase(0, length_bytes + size);
    return message;
}

bool write_all(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

namespace {

bool read_exactly(int fd, char* out, std::size_t count) {
    while (count > 0) {
        const ssize_t got = ::read(fd, out, count);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return false;
        out += got;
        count -= static_cast<std::size_t>(got);
    }
    return true;
}

} // namespace

std::optional<std::string> read_frame(int fd) {
    char length[length_bytes];
    if (!read_exactly(fd, length, length_bytes))
        return std::nullopt;
    const std::uint32_t size = get_u32(std::string_view(length, length_bytes));
    if (size > max_frame)
        return std::nullopt;
    std::string message(size, '\0');
    if (!read_exactly(fd, message.data(), size))
        return std::nullopt;
    return message;
}

} // namespace fmcalc::wire
