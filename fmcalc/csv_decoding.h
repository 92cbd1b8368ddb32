// Gets a CSV file's text ready for the reader: decoded to UTF-8, checked,
// and its field separator found.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace fmcalc {

struct DecodedText {
    std::string utf8;
    std::string error; // non-empty: the bytes could not be decoded
};

// UTF-8 as it is (a byte-order mark is dropped by the reader), UTF-16 when
// the bytes start with its byte-order mark, or, when `encoding` is given,
// converted from that encoding with iconv (e.g. "windows-1252", "latin1").
DecodedText decode_csv_bytes(std::string bytes, const std::optional<std::string>& encoding);

// Byte offset of the first byte that is not part of a well-formed UTF-8
// sequence (overlong forms, surrogates and code points above U+10FFFF
// count as ill-formed), or nothing.
std::optional<std::size_t> first_invalid_utf8(std::string_view text);

// The separator the header row (the first line, outside quotes) uses most
// among ",", ";" and tab; "," when it has none of them.
char detect_delimiter(std::string_view text);

} // namespace fmcalc
