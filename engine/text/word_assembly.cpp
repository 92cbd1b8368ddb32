#include "word_assembly.h"

#include "text_encoding/utf_conversion.h"

#include <unicode/uchar.h>
#include <unicode/unorm2.h>

#include <algorithm>

namespace paginor::engine::text {
namespace {

// A box seen in the frame of its text direction: `along` grows in reading
// direction, `cross` grows from one line to the next.
struct Span {
    double alongMin, alongMax, crossMin, crossMax;
    double height() const { return crossMax - crossMin; }
};

Span spanOf(const BoxRect& r, int rotation) {
    switch (rotation & 3) {
    case 1: // text runs down the page, lines follow leftwards
        return {r.y0, r.y1, -r.x1, -r.x0};
    case 2: // upside down
        return {-r.x1, -r.x0, -r.y1, -r.y0};
    case 3: // text runs up the page, lines follow rightwards
        return {-r.y1, -r.y0, r.x0, r.x1};
    default:
        return {r.x0, r.x1, r.y0, r.y1};
    }
}

bool isRightToLeft(char32_t c) {
    const auto d = u_charDirection(static_cast<UChar32>(c));
    return d == U_RIGHT_TO_LEFT || d == U_RIGHT_TO_LEFT_ARABIC;
}

// Strong left-to-right letters and digits: both keep their drawn order.
bool keepsDrawnOrder(char32_t c) {
    const auto d = u_charDirection(static_cast<UChar32>(c));
    return d == U_LEFT_TO_RIGHT || d == U_EUROPEAN_NUMBER || d == U_ARABIC_NUMBER;
}

bool isSpace(char32_t c) {
    return u_isUWhiteSpace(static_cast<UChar32>(c)) != 0;
}

bool startsNewLine(const TextBox& previous, const TextBox& next) {
    if (previous.rotation != next.rotation)
        return true;
    const Span a = spanOf(previous.bbox, previous.rotation);
    const Span b = spanOf(next.bbox, next.rotation);
    const double smaller = std::max(0.0, std::min(a.height(), b.height()));
    const double overlap = std::min(a.crossMax, b.crossMax) - std::max(a.crossMin, b.crossMin);
    if (overlap < 0.5 * smaller)
        return true;
    // A jump back against the reading direction starts a new line even when
    // the baselines happen to match (the next column, a repeated heading);
    // so does a wide gap the layer saw no space in (a table cell, a margin note).
    const double size = std::max(a.height(), b.height());
    return b.alongMin < a.alongMin - 0.5 * size ||
           (!previous.spaceAfter && b.alongMin - a.alongMax > 1.5 * size);
}

// Pieces of one word split by a font change: same line, no space seen, no gap.
bool gluedTogether(const TextBox& previous, const TextBox& next) {
    if (previous.spaceAfter)
        return false;
    const Span a = spanOf(previous.bbox, previous.rotation);
    const Span b = spanOf(next.bbox, next.rotation);
    return b.alongMin - a.alongMax < 0.2 * std::max(a.height(), b.height());
}

// The box's text in visual order: glyphs drawn against the reading direction
// (right-to-left text written in logical order) are turned round.
std::u32string visualText(const TextBox& box) {
    std::u32string text = box.text;
    if (box.glyphs.size() == text.size() && text.size() > 1) {
        const Span first = spanOf(box.glyphs.front(), box.rotation);
        const Span last = spanOf(box.glyphs.back(), box.rotation);
        if (first.alongMin > last.alongMin)
            std::reverse(text.begin(), text.end());
    }
    return text;
}

void appendWordsOf(const std::u32string& text, std::vector<std::u32string>& words) {
    std::size_t i = 0;
    while (i < text.size()) {
        while (i < text.size() && isSpace(text[i]))
            ++i;
        std::size_t end = i;
        while (end < text.size() && !isSpace(text[end]))
            ++end;
        if (end > i)
            words.push_back(text.substr(i, end - i));
        i = end;
    }
}

void emitLine(const std::vector<const TextBox*>& line, std::vector<PageWord>& out) {
    std::vector<const TextBox*> ordered = line;
    bool rightToLeft = false;
    for (const TextBox* box : line)
        rightToLeft = rightToLeft || std::any_of(box->text.begin(), box->text.end(), isRightToLeft);

    std::u32string joined;
    if (rightToLeft) {
        // Mixed-direction lines are rebuilt from the visual picture.
        const int rotation = line.front()->rotation;
        std::stable_sort(ordered.begin(), ordered.end(), [rotation](auto* a, auto* b) {
            return spanOf(a->bbox, rotation).alongMin < spanOf(b->bbox, rotation).alongMin;
        });
    }
    for (std::size_t i = 0; i < ordered.size(); ++i) {
        if (i > 0 && !gluedTogether(*ordered[i - 1], *ordered[i]))
            joined += U' ';
        joined += rightToLeft ? visualText(*ordered[i]) : ordered[i]->text;
    }
    if (rightToLeft)
        joined = visualToLogical(joined);

    std::vector<std::u32string> words;
    appendWordsOf(joined, words);
    for (std::size_t i = 0; i < words.size(); ++i) {
        const std::u32string letters = decomposePresentationForms(words[i]);
        if (letters.empty())
            continue;
        out.push_back({Utf32ToUtf16(letters), i + 1 == words.size() ? u"\r\n" : u" "});
    }
    if (!out.empty())
        out.back().separator = u"\r\n";
}

bool isPresentationForm(char32_t c) {
    return (c >= 0xFB00 && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFE);
}

std::u16string compatibilityForm(const std::u16string& run) {
    UErrorCode status = U_ZERO_ERROR;
    const UNormalizer2* nfkc = unorm2_getNFKCInstance(&status);
    if (U_FAILURE(status))
        return run;
    std::u16string result(run.size() * 4 + 8, u'\0');
    const int32_t length =
        unorm2_normalize(nfkc, run.data(), static_cast<int32_t>(run.size()), result.data(),
                         static_cast<int32_t>(result.size()), &status);
    if (U_FAILURE(status))
        return run;
    result.resize(static_cast<std::size_t>(length));
    return result;
}

} // namespace

std::vector<PageWord> assembleWords(const std::vector<TextBox>& boxes) {
    std::vector<PageWord> words;
    std::vector<const TextBox*> line;
    for (const TextBox& box : boxes) {
        if (!line.empty() && startsNewLine(*line.back(), box)) {
            emitLine(line, words);
            line.clear();
        }
        line.push_back(&box);
    }
    if (!line.empty())
        emitLine(line, words);
    return words;
}

std::u32string visualToLogical(const std::u32string& text) {
    long strong = 0;
    for (char32_t c : text) {
        const auto d = u_charDirection(static_cast<UChar32>(c));
        if (d == U_LEFT_TO_RIGHT)
            ++strong;
        else if (d == U_RIGHT_TO_LEFT || d == U_RIGHT_TO_LEFT_ARABIC)
            --strong;
    }
    std::u32string out;
    out.reserve(text.size());
    const auto n = static_cast<std::ptrdiff_t>(text.size());
    if (strong >= 0) {
        // Left-to-right line: each right-to-left run is turned round.
        std::ptrdiff_t i = 0;
        while (i < n) {
            std::ptrdiff_t j = i;
            while (j < n && !isRightToLeft(text[j]))
                ++j;
            out.append(text, i, j - i);
            i = j;
            while (j < n && !keepsDrawnOrder(text[j]))
                ++j;
            while (j > i && isSpace(text[j - 1])) // spaces after the run stay after it
                --j;
            for (std::ptrdiff_t k = j - 1; k >= i; --k)
                out += text[k];
            i = j;
        }
    } else {
        // Right-to-left line: read from the right, keeping left-to-right runs
        // (with the neutrals that lead them) in their drawn order.
        std::ptrdiff_t i = n - 1;
        while (i >= 0) {
            for (; i >= 0 && !keepsDrawnOrder(text[i]); --i)
                out += text[i];
            if (i >= 0) {
                std::ptrdiff_t j = i;
                while (j >= 0 && !isRightToLeft(text[j]))
                    --j;
                while (j + 1 < i && isSpace(text[j + 1])) // spaces before the run stay before it
                    ++j;
                out.append(text, j + 1, i - j);
                i = j;
            }
        }
    }
    return out;
}

std::u32string decomposePresentationForms(const std::u32string& word) {
    std::u32string out;
    out.reserve(word.size());
    std::size_t i = 0;
    while (i < word.size()) {
        if (word[i] == 0xFEFF) {
            ++i;
            continue;
        }
        if (!isPresentationForm(word[i])) {
            out += word[i++];
            continue;
        }
        std::size_t end = i;
        while (end < word.size() && isPresentationForm(word[end]))
            ++end;
        out += Utf16ToUtf32(compatibilityForm(Utf32ToUtf16(word.substr(i, end - i))));
        i = end;
    }
    return out;
}

} // namespace paginor::engine::text
