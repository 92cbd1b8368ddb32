#include "standard_font_metrics.h"

#include <array>

namespace paginor::engine::forms {

namespace {

// Printable ASCII, 0x20 to 0x7E.
constexpr std::array<short, 95> kHelvetica = {
    278,  278, 355, 556, 556, 889, 667, 191, 333, 333, 389, 584, 278, 333, 278, 278, // space../
    556,  556, 556, 556, 556, 556, 556, 556, 556, 556, 278, 278, 584, 584, 584, 556, // 0..?
    1015, 667, 667, 722, 722, 667, 611, 778, 722, 278, 500, 667, 556, 833, 722, 778, // @..O
    667,  778, 722, 667, 611, 722, 667, 944, 667, 667, 611, 278, 278, 278, 469, 556, // P.._
    333,  556, 556, 500, 556, 556, 278, 556, 556, 222, 222, 500, 222, 833, 556, 556, // `..o
    556,  556, 333, 500, 278, 556, 500, 722, 500, 500, 500, 334, 260, 334, 584};     // p..~

constexpr std::array<short, 95> kTimes = {
    250, 333, 408, 500, 500, 833, 778, 180, 333, 333, 500, 564, 250, 333, 250, 278, 500, 500, 500,
    500, 500, 500, 500, 500, 500, 500, 278, 278, 564, 564, 564, 444, 921, 722, 667, 667, 722, 611,
    556, 722, 722, 333, 389, 722, 611, 889, 722, 722, 556, 722, 667, 556, 611, 722, 722, 944, 722,
    722, 611, 333, 278, 333, 469, 500, 333, 444, 500, 444, 500, 444, 333, 500, 500, 278, 278, 500,
    278, 778, 500, 500, 500, 500, 333, 389, 278, 500, 500, 722, 500, 500, 444, 480, 200, 480, 541};

// Accented Latin-1 letters are as wide as their base letters.
char32_t baseLetter(char32_t c) {
    static const char* const upper = "AAAAAAACEEEEIIIIDNOOOOO*OUUUUYPs"; // U+00C0..U+00DF
    static const char* const lower = "aaaaaaaceeeeiiiidnooooo/ouuuuypy"; // U+00E0..U+00FF
    if (c >= 0xC0 && c <= 0xDF) {
        return static_cast<unsigned char>(upper[c - 0xC0]);
    }
    if (c >= 0xE0 && c <= 0xFF) {
        return static_cast<unsigned char>(lower[c - 0xE0]);
    }
    return c;
}

} // namespace

StandardFamily standardFamilyOf(const std::string& baseFont) {
    if (baseFont.find("Courier") != std::string::npos ||
        baseFont.find("Cour") != std::string::npos) {
        return StandardFamily::Courier;
    }
    if (baseFont.find("Times") != std::string::npos || baseFont.find("TiRo") != std::string::npos) {
        return StandardFamily::Times;
    }
    return StandardFamily::Helvetica;
}

double standardGlyphWidth(StandardFamily family, char32_t character) {
    if (family == StandardFamily::Courier) {
        return 600;
    }
    const auto& table = family == StandardFamily::Times ? kTimes : kHelvetica;
    const char32_t c = baseLetter(character);
    if (c >= 0x20 && c <= 0x7E) {
        return table[c - 0x20];
    }
    if (c == 0x2018 || c == 0x2019) {
        return family == StandardFamily::Times ? 333 : 222;
    }
    return family == StandardFamily::Times ? 500 : 556;
}

double standardAscent(StandardFamily family) {
    switch (family) {
    case StandardFamily::Times:
        return 683;
    case StandardFamily::Courier:
        return 629;
    case StandardFamily::Helvetica:
        break;
    }
    return 718;
}

double standardDescent(StandardFamily family) {
    switch (family) {
    case StandardFamily::Times:
        return -217;
    case StandardFamily::Courier:
        return -157;
    case StandardFamily::Helvetica:
        break;
    }
    return -207;
}

} // namespace paginor::engine::forms
