#include "csv_decoding.h"

#include <array>
#include <cerrno>
#include <iconv.h>
#include <memory>

namespace fmcalc {
namespace {

struct IconvCloser {
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};

// 1-based line at the end of text.
std::size_t last_line(std::string_view text) {
    std::size_t line = 1;
    for (const char c : text)
        line += c == '\n';
    return line;
}

DecodedText convert(std::string_view bytes, const std::string& encoding) {
    const iconv_t cd = iconv_open("UTF-8", encoding.c_str());
    if (cd == reinterpret_cast<iconv_t>(-1))
        return {{}, "unknown encoding " + encoding + " (iconv --list shows the names)"};
    const std::unique_ptr<void, IconvCloser> holder(cd);
    std::string out;
    std::array<char, 16384> chunk{};
    char* in = const_cast<char*>(bytes.data());
    std::size_t in_left = bytes.size();
    // The final call with no input flushes a stateful encoding's shift state.
    bool flushed = false;
    while (!flushed) {
        char* next = chunk.data();
        std::size_t out_left = chunk.size();
        const bool finishing = in_left == 0;
        const std::size_t done = finishing ? iconv(cd, nullptr, nullptr, &next, &out_left)
                                           : iconv(cd, &in, &in_left, &next, &out_left);
        out.append(chunk.data(), static_cast<std::size_t>(next - chunk.data()));
        if (done != static_cast<std::size_t>(-1)) {
            flushed = finishing;
            continue;
        }
        if (errno == E2BIG)
            continue;
        // EILSEQ or EINVAL: a byte sequence this encoding does not have, or
        // one cut off at the end of the file.
        const std::size_t offset = bytes.size() - in_left;
        const std::size_t line = last_line(out);
        return {{},
                "line " + std::to_string(line) + ": byte " + std::to_string(offset + 1) +
                    " is not valid " + encoding + (errno == EINVAL ? " (cut off at the end)" : "")};
    }
    return {std::move(out), {}};
}

} // namespace

DecodedText decode_csv_bytes(std::string bytes, const std::optional<std::string>& encoding) {
    if (encoding)
        return convert(bytes, *encoding);
    const std::string_view view(bytes);
    if (view.starts_with("\xFF\xFE") || view.starts_with("\xFE\xFF"))
        return convert(view, "UTF-16"); // iconv reads the byte order from the mark
    return {std::move(bytes), {}};
}

std::optional<std::size_t> first_invalid_utf8(std::string_view text) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    std::size_t i = 0;
    while (i < text.size()) {
        const unsigned char lead = byte(i);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        std::size_t length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF; // bounds of the second byte
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0)
                low = 0xA0; // no overlong forms
            if (lead == 0xED)
                high = 0x9F; // no surrogates
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0)
                low = 0x90;
            if (lead == 0xF4)
                high = 0x8F; // nothing above U+10FFFF
        } else {
            return i;
        }
        if (i + length > text.size())
            return i;
        if (byte(i + 1) < low || byte(i + 1) > high)
            return i;
        for (std::size_t k = 2; k < length; ++k) {
            if ((byte(i + k) & 0xC0) != 0x80)
                return i;
        }
        i += length;
    }
    return std::nullopt;
}

char detect_delimiter(std::string_view text) {
    if (text.starts_with("\xEF\xBB\xBF"))
        text.remove_prefix(3);
    std::size_t commas = 0;
    std::size_t semicolons = 0;
    std::size_t tabs = 0;
    bool quoted = false;
    for (const char c : text) {
        if (c == '"')
            quoted = !quoted; // "" inside quotes toggles twice: no change
        else if (!quoted && (c == '\n' || c == '\r'))
            break;
        else if (!quoted && c == ',')
            ++commas;
        else if (!quoted && c == ';')
            ++semicolons;
        else if (!quoted && c == '\t')
            ++tabs;
    }
    if (semicolons > commas && semicolons >= tabs)
        return ';';
    if (tabs > commas && tabs > semicolons)
        return '\t';
    return ',';
}

} // namespace fmcalc
