// UTF-8 <-> UTF-16 conversion for the edges of the system (POSIX paths, file
// contents, host text). Malformed input never throws: every invalid sequence
// or lone surrogate becomes U+FFFD, so a bad byte cannot stop a whole call.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace paginor {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

namespace utf_detail {

inline void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

inline void AppendUtf16(std::u16string& out, char32_t cp) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

// Decodes one code point starting at text[pos] and advances pos. A malformed
// sequence consumes its lead byte plus the continuation bytes that were valid,
// and yields one replacement character (the "maximal subpart" practice).
inline char32_t DecodeUtf8(std::string_view text, std::size_t& pos) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(pos++);
    if (lead < 0x80) {
        return lead;
    }
    int length = 0;
    char32_t cp = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 1;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 2;
        cp = lead & 0x0F;
        if (lead == 0xE0) {
            low = 0xA0; // overlong
        } else if (lead == 0xED) {
            high = 0x9F; // surrogates are not characters
        }
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 3;
        cp = lead & 0x07;
        if (lead == 0xF0) {
            low = 0x90; // overlong
        } else if (lead == 0xF4) {
            high = 0x8F; // beyond U+10FFFF
        }
    } else {
        return kReplacementCharacter;
    }
    for (int i = 0; i < length; ++i) {
        if (pos >= text.size() || byte(pos) < low || byte(pos) > high) {
            return kReplacementCharacter;
        }
        cp = (cp << 6) | (byte(pos++) & 0x3F);
        low = 0x80;
        high = 0xBF;
    }
    return cp;
}

} // namespace utf_detail

inline std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    std::size_t pos = 0;
    while (pos < text.size()) {
        utf_detail::AppendUtf16(out, utf_detail::DecodeUtf8(text, pos));
    }
    return out;
}

inline std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i];
        char32_t cp = unit;
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
                cp = 0x10000 + ((unit - 0xD800) << 10) + (text[i + 1] - 0xDC00);
                ++i;
            } else {
                cp = kReplacementCharacter;
            }
        } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
            cp = kReplacementCharacter;
        }
        utf_detail::AppendUtf8(out, cp);
    }
    return out;
}

// Length of a NUL-terminated UTF-16 string; a null pointer counts as empty.
inline std::u16string_view Utf16View(const char16_t* text) {
    return text == nullptr ? std::u16string_view() : std::u16string_view(text);
}

} // namespace paginor
