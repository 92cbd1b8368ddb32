#include "com/guid_text.h"

#include <array>
#include <cstdio>

namespace paginor {

namespace {

constexpr std::size_t kGuidTextLength = 38; // braces, 32 digits, 4 dashes

int HexValue(char32_t c) {
    if (c >= '0' && c <= '9') {
        return static_cast<int>(c - '0');
    }
    if (c >= 'a' && c <= 'f') {
        return static_cast<int>(c - 'a' + 10);
    }
    if (c >= 'A' && c <= 'F') {
        return static_cast<int>(c - 'A' + 10);
    }
    return -1;
}

template <typename Char> std::optional<GUID> ParseGuidText(std::basic_string_view<Char> text) {
    if (text.size() != kGuidTextLength || text.front() != '{' || text.back() != '}') {
        return std::nullopt;
    }
    // The 16 bytes in text order: Data1 (4), Data2 (2), Data3 (2), Data4 (8).
    std::array<BYTE, 16> bytes{};
    std::size_t byteIndex = 0;
    for (std::size_t i = 1; i + 1 < text.size();) {
        if (i == 9 || i == 14 || i == 19 || i == 24) {
            if (text[i] != '-') {
                return std::nullopt;
            }
            ++i;
            continue;
        }
        const int high = HexValue(static_cast<char32_t>(text[i]));
        const int low = HexValue(static_cast<char32_t>(text[i + 1]));
        if (high < 0 || low < 0 || byteIndex >= bytes.size()) {
            return std::nullopt;
        }
        bytes[byteIndex++] = static_cast<BYTE>(high * 16 + low);
        i += 2;
    }
    if (byteIndex != bytes.size()) {
        return std::nullopt;
    }
    GUID guid{};
    guid.Data1 =
        (DWORD{bytes[0]} << 24) | (DWORD{bytes[1]} << 16) | (DWORD{bytes[2]} << 8) | bytes[3];
    guid.Data2 = static_cast<WORD>((bytes[4] << 8) | bytes[5]);
    guid.Data3 = static_cast<WORD>((bytes[6] << 8) | bytes[7]);
    for (int i = 0; i < 8; ++i) {
        guid.Data4[i] = bytes[8 + i];
    }
    return guid;
}

} // namespace

std::string FormatGuidUtf8(const GUID& guid) {
    char text[kGuidTextLength + 1];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                  guid.Data1, guid.Data2, guid.Data3, guid.Data4[0], guid.Data4[1], guid.Data4[2],
                  guid.Data4[3], guid.Data4[4], guid.Data4[5], guid.Data4[6], guid.Data4[7]);
    return std::string(text, kGuidTextLength);
}

std::u16string FormatGuid(const GUID& guid) {
    const std::string narrow = FormatGuidUtf8(guid);
    return std::u16string(narrow.begin(), narrow.end());
}

std::optional<GUID> ParseGuid(std::u16string_view text) {
    return ParseGuidText(text);
}
std::optional<GUID> ParseGuid(std::string_view text) {
    return ParseGuidText(text);
}

} // namespace paginor

extern "C" int StringFromGUID2(REFGUID guid, LPOLESTR buffer, int capacity) {
    // Returns characters written including the NUL, or 0 when it does not fit.
    const std::u16string text = paginor::FormatGuid(guid);
    if (buffer == nullptr || capacity < static_cast<int>(text.size() + 1)) {
        return 0;
    }
    text.copy(buffer, text.size());
    buffer[text.size()] = u'\0';
    return static_cast<int>(text.size() + 1);
}
