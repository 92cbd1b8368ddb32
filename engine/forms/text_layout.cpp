#include "text_layout.h"

#include <algorithm>

namespace paginor::engine::forms {

namespace {

bool breaksAroundItself(char32_t c) {
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xAC00 && c <= 0xD7AF) ||
           (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFFEF) ||
           (c >= 0x20000 && c <= 0x3FFFF);
}

bool isSpace(char32_t c) {
    return c == U' ' || c == 0x3000 || c == 0xA0;
}

std::u32string trimTrailingSpaces(std::u32string text) {
    while (!text.empty() && isSpace(text.back())) {
        text.pop_back();
    }
    return text;
}

} // namespace

std::vector<std::u32string> splitParagraphs(const std::u32string& text) {
    std::vector<std::u32string> paragraphs(1);
    for (size_t i = 0; i < text.size(); ++i) {
        const char32_t c = text[i];
        if (c == U'\r' || c == U'\n' || c == 0x2028 || c == 0x2029) {
            if (c == U'\r' && i + 1 < text.size() && text[i + 1] == U'\n') {
                ++i;
            }
            paragraphs.emplace_back();
        } else if (c == U'\t') {
            paragraphs.back().push_back(U' ');
        } else if (c >= 0x20 && !(c >= 0x7F && c < 0xA0)) {
            paragraphs.back().push_back(c);
        }
    }
    return paragraphs;
}

WrapPieces cutForWrapping(AppearanceFont& font, const std::u32string& paragraph) {
    WrapPieces pieces;
    std::u32string current;
    auto flush = [&] {
        if (current.empty()) {
            return;
        }
        pieces.width.push_back(font.shape(current).width);
        pieces.inkWidth.push_back(font.shape(trimTrailingSpaces(current)).width);
        pieces.text.push_back(std::move(current));
        current.clear();
    };
    for (size_t i = 0; i < paragraph.size(); ++i) {
        const char32_t c = paragraph[i];
        if (breaksAroundItself(c) && !current.empty() && !isSpace(current.back())) {
            flush();
        }
        current.push_back(c);
        const bool nextIsSpace = i + 1 < paragraph.size() && isSpace(paragraph[i + 1]);
        if ((isSpace(c) && !nextIsSpace) || breaksAroundItself(c)) {
            if (!(breaksAroundItself(c) && nextIsSpace)) {
                flush();
            }
        }
    }
    flush();
    return pieces;
}

std::vector<std::u32string> wrapPieces(AppearanceFont& font, const WrapPieces& pieces,
                                       double maxWidth) {
    std::vector<std::u32string> lines;
    std::u32string line;
    double lineWidth = 0;
    for (size_t i = 0; i < pieces.text.size(); ++i) {
        if (!line.empty() && lineWidth + pieces.inkWidth[i] > maxWidth) {
            lines.push_back(trimTrailingSpaces(line));
            line.clear();
            lineWidth = 0;
        }
        if (line.empty() && pieces.inkWidth[i] > maxWidth) {
            // Longer than a line on its own: fill lines character by character.
            for (char32_t c : pieces.text[i]) {
                const double w = font.shape(std::u32string(1, c)).width;
                if (!line.empty() && lineWidth + w > maxWidth && !isSpace(c)) {
                    lines.push_back(trimTrailingSpaces(line));
                    line.clear();
                    lineWidth = 0;
                }
                line.push_back(c);
                lineWidth += w;
            }
            continue;
        }
        line += pieces.text[i];
        lineWidth += pieces.width[i];
    }
    lines.push_back(trimTrailingSpaces(line));
    return lines;
}

double lineHeightFactor(const AppearanceFont& font) {
    return std::clamp((font.ascent() - font.descent()) / 1000.0, 1.15, 1.6);
}

} // namespace paginor::engine::forms
