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
    if (c < 0x0590)
        return false;
    const auto d = u_charDirection(static_cast<UChar32>(c));
    return d == U_RIGHT_TO_LEFT || d == U_RIGHT_TO_LEFT_ARABIC;
}

bool isSpace(char32_t c) {
    if (c < 0x80)
        return c == U' ' || (c >= U'\t' && c <= U'\r');
    return u_isUWhiteSpace(static_cast<UChar32>(c)) != 0;
}

bool isPresentationForm(char32_t c) {
    return (c >= 0xFB00 && c <= 0xFDFF) || (c >= 0xFE70 && c <= 0xFEFE);
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
void appendVisualText(const PageBoxes& page, const TextBox& box, std::u32string& visual) {
    const std::u32string_view text = page.textOf(box);
    if (box.glyphsKnown && text.size() > 1 &&
        spanOf(box.firstGlyph, box.rotation).alongMin >
            spanOf(box.lastGlyph, box.rotation).alongMin)
        visual.append(text.rbegin(), text.rend());
    else
        visual.append(text);
}

// Writes the words of a line into the page's buffer; only words holding
// presentation forms take the slower way through the normaliser.
class WordWriter {
public:
    explicit WordWriter(PageText& out) : out_(out), start_(out.characters.size()) {}

    void add(char32_t c) {
        if (isSpace(c)) {
            flush();
            return;
        }
        needsDecomposition_ = needsDecomposition_ || c == 0xFEFF || isPresentationForm(c);
        AppendUtf16(out_.characters, c);
    }

    void flush() {
        if (needsDecomposition_) {
            needsDecomposition_ = false;
            const std::u32string letters = decomposePresentationForms(
                Utf16ToUtf32(std::u16string_view(out_.characters).substr(start_)));
            out_.characters.resize(start_);
            for (char32_t c : letters)
                AppendUtf16(out_.characters, c);
        }
        if (out_.characters.size() > start_)
            out_.words.push_back({start_, out_.characters.size() - start_, false});
        start_ = out_.characters.size();
    }

private:
    PageText& out_;
    std::size_t start_;
    bool needsDecomposition_ = false;
};

bool holdsRightToLeft(const PageBoxes& page, const std::vector<const TextBox*>& line) {
    return std::any_of(line.begin(), line.end(), [&](const TextBox* box) {
        const std::u32string_view text = page.textOf(*box);
        return std::any_of(text.begin(), text.end(), isRightToLeft);
    });
}

// Mixed-direction lines are rebuilt from the visual picture: boxes in their
// order along the line, each box's glyphs in drawn order, then the whole line
// turned into logical order.
std::u32string logicalLine(const PageBoxes& page, const std::vector<const TextBox*>& line) {
    std::vector<const TextBox*> ordered = line;
    const int rotation = line.front()->rotation;
    std::stable_sort(ordered.begin(), ordered.end(), [rotation](auto* a, auto* b) {
        return spanOf(a->bbox, rotation).alongMin < spanOf(b->bbox, rotation).alongMin;
    });
    std::u32string visual;
    for (std::size_t i = 0; i < ordered.size(); ++i) {
        if (i > 0 && !gluedTogether(*ordered[i - 1], *ordered[i]))
            visual += U' ';
        appendVisualText(page, *ordered[i], visual);
    }
    return visualToLogical(visual);
}

void emitLine(const PageBoxes& page, const std::vector<const TextBox*>& line, PageText& out) {
    const std::size_t first = out.words.size();
    WordWriter words(out);
    if (holdsRightToLeft(page, line)) {
        for (char32_t c : logicalLine(page, line))
            words.add(c);
    } else {
        for (std::size_t i = 0; i < line.size(); ++i) {
            if (i > 0 && !gluedTogether(*line[i - 1], *line[i]))
                words.flush();
            for (char32_t c : page.textOf(*line[i]))
                words.add(c);
        }
    }
    words.flush();
    if (out.words.size() > first)
        out.words.back().endsLine = true;
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

void assembleWords(const PageBoxes& page, PageText& text) {
    text.characters.clear();
    text.words.clear();
    text.characters.reserve(page.characters.size() + page.boxes.size());
    text.words.reserve(page.boxes.size());
    std::vector<const TextBox*> line;
    for (const TextBox& box : page.boxes) {
        if (!line.empty() && startsNewLine(*line.back(), box)) {
            emitLine(page, line, text);
            line.clear();
        }
        line.push_back(&box);
    }
    if (!line.empty())
        emitLine(page, line, text);
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
