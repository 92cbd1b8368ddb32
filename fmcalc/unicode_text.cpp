#include "unicode_text.h"

#include "text_encoding/utf_conversion.h"

#include <algorithm>
#include <clocale>
#include <cwctype>
#include <locale.h>

namespace fmcalc {
namespace {

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
        paginor::AppendUtf16(out, map(cp));
    return out;
}

} // namespace

// Calculation text gives every byte that does not begin a valid sequence its
// own replacement character.
constexpr auto kInvalidUtf8 = paginor::InvalidUtf8::ReplaceEachByte;

std::u32string utf8_to_utf32(std::string_view utf8) {
    return paginor::Utf8ToUtf32(utf8, kInvalidUtf8);
}

std::u16string utf8_to_utf16(std::string_view utf8) {
    return paginor::Utf8ToUtf16(utf8, kInvalidUtf8);
}

std::u32string utf16_to_utf32(std::u16string_view utf16) {
    return paginor::Utf16ToUtf32(utf16);
}

std::string utf16_to_utf8(std::u16string_view utf16) {
    return paginor::Utf16ToUtf8(utf16);
}

std::u16string utf32_to_utf16(std::u32string_view utf32) {
    return paginor::Utf32ToUtf16(utf32);
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
    // Names and most compared texts are ASCII; folding them without decoding
    // keeps name lookups in long While loops cheap.
    if (std::all_of(text.begin(), text.end(), [](char16_t c) { return c < 0x80; })) {
        std::u16string out(text);
        for (char16_t& c : out) {
            if (c >= u'A' && c <= u'Z')
                c = static_cast<char16_t>(c - u'A' + u'a');
        }
        return out;
    }
    return map_code_points(text, [](char32_t c) {
        const char32_t lower = case_locale().lower(c);
        return ((lower >= 0x10000) == (c >= 0x10000)) ? lower : c;
    });
}

bool equals_ignoring_case(std::u16string_view a, std::u16string_view b) {
    // The parser asks this of every name it reads (against each keyword):
    // ASCII texts are compared in place, without folding copies.
    const auto ascii = [](char16_t c) { return c < 0x80; };
    if (std::all_of(a.begin(), a.end(), ascii) && std::all_of(b.begin(), b.end(), ascii)) {
        const auto lower = [](char16_t c) {
            return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
        };
        return a.size() == b.size() &&
               std::equal(a.begin(), a.end(), b.begin(),
                          [&](char16_t x, char16_t y) { return lower(x) == lower(y); });
    }
    return fold_case(a) == fold_case(b);
}

} // namespace fmcalc
