#include "text_layout.h"

#include <unicode/brkiter.h>
#include <unicode/locid.h>
#include <unicode/unistr.h>

#include <algorithm>
#include <memory>

namespace paginor::engine::forms {

namespace {

bool isSpace(char32_t c) {
    return c == U' ' || c == 0x3000 || c == 0xA0;
}

std::u32string trimTrailingSpaces(std::u32string text) {
    while (!text.empty() && isSpace(text.back())) {
        text.pop_back();
    }
    return text;
}

enum class Boundaries { Lines, Characters };

// ICU's break iterators, made once per thread (making one reads its rules
// and dictionaries).
icu::BreakIterator* breakIterator(Boundaries kind) {
    thread_local std::unique_ptr<icu::BreakIterator> lines;
    thread_local std::unique_ptr<icu::BreakIterator> characters;
    std::unique_ptr<icu::BreakIterator>& slot = kind == Boundaries::Lines ? lines : characters;
    if (!slot) {
        UErrorCode status = U_ZERO_ERROR;
        slot.reset(
            kind == Boundaries::Lines
                ? icu::BreakIterator::createLineInstance(icu::Locale::getRoot(), status)
                : icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
        if (U_FAILURE(status)) {
            slot.reset();
        }
    }
    return slot.get();
}

// Where `text` may be cut, as indexes into it, the end included: line-break
// opportunities (after spaces and hyphens, around CJK, between Thai words by
// ICU's dictionary) or grapheme boundaries (never inside a letter and its
// marks). Without ICU's data every character is a boundary.
std::vector<size_t> boundaries(std::u32string_view text, Boundaries kind) {
    icu::UnicodeString utf16;
    std::vector<size_t> indexOfUnit; // UTF-16 offset -> index into text
    for (size_t i = 0; i < text.size(); ++i) {
        utf16.append(static_cast<UChar32>(text[i]));
        indexOfUnit.resize(static_cast<size_t>(utf16.length()), i);
    }
    indexOfUnit.push_back(text.size());
    std::vector<size_t> result;
    icu::BreakIterator* iterator = breakIterator(kind);
    if (iterator == nullptr) {
        for (size_t i = 1; i <= text.size(); ++i) {
            result.push_back(i);
        }
        return result;
    }
    iterator->setText(utf16);
    for (int32_t at = iterator->next(); at != icu::BreakIterator::DONE; at = iterator->next()) {
        result.push_back(indexOfUnit[static_cast<size_t>(at)]);
    }
    // The iterator keeps a reference to the text it was given.
    static const icu::UnicodeString nothing;
    iterator->setText(nothing);
    return result;
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
    size_t start = 0;
    for (size_t end : boundaries(paragraph, Boundaries::Lines)) {
        if (end <= start) {
            continue;
        }
        std::u32string piece = paragraph.substr(start, end - start);
        pieces.width.push_back(font.shape(piece).width);
        pieces.inkWidth.push_back(font.shape(trimTrailingSpaces(piece)).width);
        pieces.text.push_back(std::move(piece));
        start = end;
    }
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
            // Longer than a line on its own: fill lines letter by letter
            // (a letter with its combining marks stays whole).
            const std::u32string& piece = pieces.text[i];
            size_t start = 0;
            for (size_t end : boundaries(piece, Boundaries::Characters)) {
                const std::u32string letter = piece.substr(start, end - start);
                start = end;
                const double w = font.shape(letter).width;
                if (!line.empty() && lineWidth + w > maxWidth && !isSpace(letter.front())) {
                    lines.push_back(trimTrailingSpaces(line));
                    line.clear();
                    lineWidth = 0;
                }
                line += letter;
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
