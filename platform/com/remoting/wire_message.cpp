#include "com/remoting/wire_message.h"

#include <cstring>
#include <limits>
#include <new>

namespace paginor::remoting {

void MessageWriter::append(const void* data, std::size_t size) {
    const auto* first = static_cast<const std::byte*>(data);
    bytes_.insert(bytes_.end(), first, first + size);
}

void MessageWriter::writeText(std::u16string_view text) {
    if (text.size() > std::numeric_limits<std::uint32_t>::max()) {
        throw WireFormatError("text too long for a message");
    }
    writeU32(static_cast<std::uint32_t>(text.size()));
    append(text.data(), text.size() * sizeof(char16_t));
}

void MessageWriter::writeBstr(BSTR text) {
    writeU8(text == nullptr ? 0 : 1);
    if (text != nullptr) {
        writeText(std::u16string_view(text, SysStringLen(text)));
    }
}

void MessageWriter::patchU32(std::size_t offset, std::uint32_t value) {
    if (offset + sizeof value > bytes_.size()) {
        throw WireFormatError("patch outside the message");
    }
    std::memcpy(bytes_.data() + offset, &value, sizeof value);
}

void MessageReader::copyOut(void* destination, std::size_t size) {
    if (size > remaining()) {
        throw WireFormatError("message ends early");
    }
    std::memcpy(destination, bytes_.data() + offset_, size);
    offset_ += size;
}

std::span<const std::byte> MessageReader::readBytes(std::size_t count) {
    if (count > remaining()) {
        throw WireFormatError("message ends early");
    }
    const std::span<const std::byte> bytes = bytes_.subspan(offset_, count);
    offset_ += count;
    return bytes;
}

std::u16string MessageReader::readText() {
    const std::uint32_t length = readU32();
    const std::span<const std::byte> units = readBytes(std::size_t{length} * sizeof(char16_t));
    std::u16string text(length, u'\0');
    std::memcpy(text.data(), units.data(), units.size());
    return text;
}

BstrHolder MessageReader::readBstr() {
    if (readU8() == 0) {
        return {};
    }
    const std::uint32_t length = readU32();
    const std::span<const std::byte> units = readBytes(std::size_t{length} * sizeof(char16_t));
    BSTR text = SysAllocStringLen(nullptr, length);
    if (text == nullptr) {
        throw std::bad_alloc();
    }
    std::memcpy(text, units.data(), units.size());
    return BstrHolder::Adopt(text);
}

} // namespace paginor::remoting
