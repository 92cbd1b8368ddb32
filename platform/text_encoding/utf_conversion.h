// UTF-8, UTF-16 and UTF-32 conversion for every layer: the runtime, the host,
// the plug-in, the engine and the tests. Header-only so that including it
// links nothing (the test host must convert without touching libfmx).
// Malformed input never throws: every invalid sequence, lone surrogate or
// out-of-range code point becomes U+FFFD, so a bad byte cannot stop a call.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace paginor {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// How many U+FFFD a broken UTF-8 sequence turns into.
enum class InvalidUtf8 {
    // One for the longest prefix that could have begun a valid sequence (the
    // usual practice: "\xE2\x82" is one replacement).
    ReplaceMaximalSubpart,
    // One for every byte that does not start a valid sequence ("\xE2\x82" is
    // two), which keeps a byte count visible in the result.
    ReplaceEachByte,
};

inline bool IsScalarValue(char32_t cp) {
    return cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
}

inline void AppendUtf8(std::string& out, char32_t cp) {
    if (!IsScalarValue(cp)) {
        cp = kReplacementCharacter;
    }
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
    if (!IsScalarValue(cp)) {
        cp = kReplacementCharacter;
    }
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

// Decodes one code point starting at text[pos] (pos < text.size()) and
// advances pos past what it consumed.
inline char32_t DecodeUtf8(std::string_view text, std::size_t& pos,
                           InvalidUtf8 policy = InvalidUtf8::ReplaceMaximalSubpart) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const std::size_t start = pos;
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
            if (policy == InvalidUtf8::ReplaceEachByte) {
                pos = start + 1;
            }
            return kReplacementCharacter;
        }
        cp = (cp << 6) | (byte(pos++) & 0x3F);
        low = 0x80;
        high = 0xBF;
    }
    return cp;
}

// Decodes the UTF-16 code point at text[pos] and advances pos.
inline char32_t DecodeUtf16(std::u16string_view text, std::size_t& pos) {
    const char16_t unit = text[pos++];
    if (unit >= 0xD800 && unit <= 0xDBFF && pos < text.size() && text[pos] >= 0xDC00 &&
        text[pos] <= 0xDFFF) {
        return 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (text[pos++] - 0xDC00);
    }
    return unit >= 0xD800 && unit <= 0xDFFF ? kReplacementCharacter : unit;
}

inline std::u16string Utf8ToUtf16(std::string_view text,
                                  InvalidUtf8 policy = InvalidUtf8::ReplaceMaximalSubpart) {
    std::u16string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        AppendUtf16(out, DecodeUtf8(text, pos, policy));
    }
    return out;
}

inline std::u32string Utf8ToUtf32(std::string_view text,
                                  InvalidUtf8 policy = InvalidUtf8::ReplaceMaximalSubpart) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        out.push_back(DecodeUtf8(text, pos, policy));
    }
    return out;
}

inline std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        AppendUtf8(out, DecodeUtf16(text, pos));
    }
    return out;
}

inline std::u32string Utf16ToUtf32(std::u16string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t pos = 0; pos < text.size();) {
        out.push_back(DecodeUtf16(text, pos));
    }
    return out;
}

inline std::string Utf32ToUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t cp : text) {
        AppendUtf8(out, cp);
    }
    return out;
}

inline std::u16string Utf32ToUtf16(std::u32string_view text) {
    std::u16string out;
    out.reserve(text.size());
    for (char32_t cp : text) {
        AppendUtf16(out, cp);
    }
    return out;
}

// Length of a NUL-terminated UTF-16 string; a null pointer counts as empty.
inline std::u16string_view Utf16View(const char16_t* text) {
    return text == nullptr ? std::u16string_view() : std::u16string_view(text);
}

} // namespace paginor
