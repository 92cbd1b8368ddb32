#include "unicode_text.h"

#include <clocale>
#include <cwctype>
#include <locale.h>

namespace fmcalc {
namespace {

constexpr char32_t replacement = 0xFFFD;

void append_utf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

void append_utf16(std::u16string& out, char32_t cp) {
    if (cp >= 0x10000) {
        cp -= 0x10000;
        out += static_cast<char16_t>(0xD800 + (cp >> 10));
        out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
        out += static_cast<char16_t>(cp);
    }
}

// Decodes one code point at i and advances i; malformed input yields U+FFFD
// and consumes one byte so decoding resynchronises on the next lead byte.
char32_t next_utf8(std::string_view s, std::size_t& i) {
    const auto lead = static_cast<unsigned char>(s[i]);
    int extra = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if (lead < 0x80) {
        ++i;
        return lead;
    } else if ((lead & 0xE0) == 0xC0) {
        extra = 1, cp = lead & 0x1F, min = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
        extra = 2, cp = lead & 0x0F, min = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
        extra = 3, cp = lead & 0x07, min = 0x10000;
    } else {
        ++i;
        return replacement;
    }
    if (i + extra >= s.size()) {
        ++i;
        return replacement;
    }
    for (int k = 1; k <= extra; ++k) {
        const auto c = static_cast<unsigned char>(s[i + k]);
        if ((c & 0xC0) != 0x80) {
            ++i;
            return replacement;
        }
        cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return replacement;
    }
    i += extra + 1;
    return cp;
}

// A locale object rather than setlocale(): the mapping must not depend on
// the process locale, and must not change it for anyone else.
class CaseLocale {
public:
    CaseLocale() : handle_(newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0))) {}
    ~CaseLocale() {
        if (handle_ != static_cast<locale_t>(0))
            freelocale(handle_);
    }
    CaseLocale(const CaseLocale&) = delete;
    CaseLocale& operator=(const CaseLocale&) = delete;

    char32_t upper(char32_t c) const {
        if (handle_ == static_cast<locale_t>(0))
            return (c >= U'a' && c <= U'z') ? c - 32 : c;
        return static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), handle_));
    }
    char32_t lower(char32_t c) const {
        if (handle_ == static_cast<locale_t>(0))
            return (c >= U'A' && c <= U'Z') ? c + 32 : c;
        return static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), handle_));
    }

private:
    locale_t handle_;
};

const CaseLocale& case_locale() {
    static const CaseLocale instance;
    return instance;
}

template <typename Map> std::u16string map_code_points(std::u16string_view text, Map map) {
    std::u16string out;
    out.reserve(text.size());
    for (char32_t cp : utf16_to_utf32(text))
        append_utf16(out, map(cp));
    return out;
}

} // namespace

std::u32string utf8_to_utf32(std::string_view utf8) {
    std::u32string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();)
        out += next_utf8(utf8, i);
    return out;
}

std::u16string utf8_to_utf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size();)
        append_utf16(out, next_utf8(utf8, i));
    return out;
}

std::u32string utf16_to_utf32(std::u16string_view utf16) {
    std::u32string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char16_t c = utf16[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            out += 0x10000 + ((static_cast<char32_t>(c) - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            out += replacement;
        } else {
            out += c;
        }
    }
    return out;
}

std::string utf16_to_utf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (char32_t cp : utf16_to_utf32(utf16))
        append_utf8(out, cp);
    return out;
}

std::u16string utf32_to_utf16(std::u32string_view utf32) {
    std::u16string out;
    out.reserve(utf32.size());
    for (char32_t cp : utf32)
        append_utf16(out, (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) ? replacement : cp);
    return out;
}

std::u16string to_upper(std::u16string_view text) {
    return map_code_points(text, [](char32_t c) { return case_locale().upper(c); });
}

std::u16string to_lower(std::u16string_view text) {
    return map_code_points(text, [](char32_t c) { return case_locale().lower(c); });
}

// Keeps the UTF-16 length so that positions found in the folded text are
// positions in the original text.
std::u16string fold_case(std::u16string_view text) {
    return map_code_points(text, [](char32_t c) {
        const char32_t lower = case_locale().lower(c);
        return ((lower >= 0x10000) == (c >= 0x10000)) ? lower : c;
    });
}

bool equals_ignoring_case(std::u16string_view a, std::u16string_view b) {
    return fold_case(a) == fold_case(b);
}

} // namespace fmcalc
