// The byte form of requests and replies between a client and a local server:
// fixed-width integers in the machine's own order (both ends run on the same
// machine), GUIDs as their 16 bytes, texts as a 32-bit length in UTF-16 code
// units followed by the units. A reader that runs past the end of its message
// throws WireFormatError, so a short or corrupt message never reads garbage.
#pragma once

#include "com/bstr_holder.h"
#include "com/com.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace paginor::remoting {

class WireFormatError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class MessageWriter {
public:
    void writeU8(std::uint8_t value) { append(&value, sizeof value); }
    void writeU16(std::uint16_t value) { append(&value, sizeof value); }
    void writeU32(std::uint32_t value) { append(&value, sizeof value); }
    void writeU64(std::uint64_t value) { append(&value, sizeof value); }
    void writeI16(std::int16_t value) { append(&value, sizeof value); }
    void writeI32(std::int32_t value) { append(&value, sizeof value); }
    void writeGuid(const GUID& guid) { append(&guid, sizeof guid); }
    void writeText(std::u16string_view text);
    // A BSTR keeps the difference between null and empty.
    void writeBstr(BSTR text);
    void writeBytes(std::span<const std::byte> bytes) { append(bytes.data(), bytes.size()); }

    // Where the next byte goes, and a way to fill in a count once it is known.
    std::size_t size() const { return bytes_.size(); }
    void patchU32(std::size_t offset, std::uint32_t value);

    std::span<const std::byte> bytes() const { return bytes_; }
    void clear() { bytes_.clear(); }

private:
    void append(const void* data, std::size_t size);

    std::vector<std::byte> bytes_;
};

class MessageReader {
public:
    explicit MessageReader(std::span<const std::byte> bytes) : bytes_(bytes) {}

    std::uint8_t readU8() { return read<std::uint8_t>(); }
    std::uint16_t readU16() { return read<std::uint16_t>(); }
    std::uint32_t readU32() { return read<std::uint32_t>(); }
    std::uint64_t readU64() { return read<std::uint64_t>(); }
    std::int16_t readI16() { return read<std::int16_t>(); }
    std::int32_t readI32() { return read<std::int32_t>(); }
    GUID readGuid() { return read<GUID>(); }
    std::u16string readText();
    // Throws std::bad_alloc when the BSTR cannot be allocated.
    BstrHolder readBstr();
    std::span<const std::byte> readBytes(std::size_t count);

    std::size_t remaining() const { return bytes_.size() - offset_; }

private:
    template <typename Value> Value read() {
        Value value;
        copyOut(&value, sizeof value);
        return value;
    }
    void copyOut(void* destination, std::size_t size);

    std::span<const std::byte> bytes_;
    std::size_t offset_ = 0;
};

} // namespace paginor::remoting
