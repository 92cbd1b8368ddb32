// The platform's wide text: strings of WCHAR, one UTF-16 code unit each
// (wchar_t on Windows, char16_t elsewhere). Text inside the plug-in is a
// WideString throughout; it meets other encodings only at the edges, through
// the conversions here.
#pragma once

#include "text_encoding/utf_conversion.h"
#include "win/win_types.h"

#include <string>
#include <string_view>

static_assert(sizeof(WCHAR) == sizeof(char16_t), "WCHAR is one UTF-16 code unit");

using WideString = std::basic_string<WCHAR>;
using WideStringView = std::basic_string_view<WCHAR>;

// UTF-8 as wide text; every malformed sequence becomes U+FFFD.
inline WideString WideFromUtf8(std::string_view text) {
#if defined(_WIN32)
    const std::u16string units = paginor::Utf8ToUtf16(text);
    return WideString(units.begin(), units.end());
#else
    return paginor::Utf8ToUtf16(text);
#endif
}
