#include "visual_order.h"

#include "text_encoding/utf_conversion.h"

#include <unicode/ubidi.h>
#include <unicode/uchar.h>

#include <climits>
#include <memory>

namespace paginor::engine::forms {

namespace {

struct BidiCloser {
    void operator()(UBiDi* bidi) const { ubidi_close(bidi); }
};

// Characters that can make a line anything but one left-to-right run.
bool mayReorder(char32_t c) {
    if (c < 0x0590) {
        return false;
    }
    switch (u_charDirection(static_cast<UChar32>(c))) {
    case U_RIGHT_TO_LEFT:
    case U_RIGHT_TO_LEFT_ARABIC:
    case U_ARABIC_NUMBER:
    case U_RIGHT_TO_LEFT_EMBEDDING:
    case U_RIGHT_TO_LEFT_OVERRIDE:
    case U_RIGHT_TO_LEFT_ISOLATE:
    case U_FIRST_STRONG_ISOLATE:
        return true;
    default:
        return false;
    }
}

bool staysLeftToRight(std::u32string_view line, TextDirection base) {
    if (base == TextDirection::RightToLeft) {
        return false;
    }
    for (char32_t c : line) {
        if (mayReorder(c)) {
            return false;
        }
    }
    return true;
}

// The line in UTF-16 for ICU, with the code point each code unit belongs to.
struct Utf16Line {
    std::u16string units;
    std::vector<std::size_t> codePointOf; // one per unit, plus the end
};

Utf16Line toUtf16(std::u32string_view line) {
    Utf16Line converted;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const std::size_t before = converted.units.size();
        AppendUtf16(converted.units, line[i]);
        converted.codePointOf.insert(converted.codePointOf.end(), converted.units.size() - before,
                                     i);
    }
    converted.codePointOf.push_back(line.size());
    return converted;
}

} // namespace

TextDirection paragraphDirection(std::u32string_view paragraph) {
    for (char32_t c : paragraph) {
        switch (u_charDirection(static_cast<UChar32>(c))) {
        case U_LEFT_TO_RIGHT:
            return TextDirection::LeftToRight;
        case U_RIGHT_TO_LEFT:
        case U_RIGHT_TO_LEFT_ARABIC:
            return TextDirection::RightToLeft;
        default:
            break;
        }
    }
    return TextDirection::LeftToRight;
}

namespace {

// The line's levels resolved by ICU; null when ICU fails (the line is then
// drawn in its base direction).
std::unique_ptr<UBiDi, BidiCloser> resolve(const Utf16Line& text, TextDirection base) {
    std::unique_ptr<UBiDi, BidiCloser> bidi(ubidi_open());
    UErrorCode status = U_ZERO_ERROR;
    if (bidi) {
        ubidi_setPara(bidi.get(), text.units.data(), static_cast<int32_t>(text.units.size()),
                      base == TextDirection::RightToLeft ? UBIDI_RTL : UBIDI_LTR, nullptr, &status);
    }
    return U_SUCCESS(status) ? std::move(bidi) : nullptr;
}

} // namespace

std::vector<DirectionalRun> visualRuns(std::u32string_view line, TextDirection base) {
    if (line.empty()) {
        return {};
    }
    if (staysLeftToRight(line, base) || line.size() > INT32_MAX / 2) {
        return {DirectionalRun{0, line.size(), false}};
    }
    const Utf16Line text = toUtf16(line);
    const auto bidi = resolve(text, base);
    UErrorCode status = U_ZERO_ERROR;
    const int32_t count = bidi ? ubidi_countRuns(bidi.get(), &status) : 0;
    if (!bidi || U_FAILURE(status)) {
        return {DirectionalRun{0, line.size(), base == TextDirection::RightToLeft}};
    }
    std::vector<DirectionalRun> runs;
    for (int32_t i = 0; i < count; ++i) {
        int32_t start = 0;
        int32_t length = 0;
        const UBiDiDirection direction = ubidi_getVisualRun(bidi.get(), i, &start, &length);
        const std::size_t first = text.codePointOf[static_cast<std::size_t>(start)];
        const std::size_t end = text.codePointOf[static_cast<std::size_t>(start + length)];
        runs.push_back(DirectionalRun{first, end - first, direction == UBIDI_RTL});
    }
    return runs;
}

std::u32string visualString(std::u32string_view line, TextDirection base) {
    if (staysLeftToRight(line, base) || line.size() > INT32_MAX / 2) {
        return std::u32string(line);
    }
    const Utf16Line text = toUtf16(line);
    const auto bidi = resolve(text, base);
    if (!bidi) {
        return std::u32string(line);
    }
    // Marks stay after the letter they sit on, as a font without a shaper
    // draws them; mirroring and that keep the length.
    std::u16string visual(text.units.size(), u'\0');
    UErrorCode status = U_ZERO_ERROR;
    const int32_t length =
        ubidi_writeReordered(bidi.get(), visual.data(), static_cast<int32_t>(visual.size()),
                             UBIDI_DO_MIRRORING | UBIDI_KEEP_BASE_COMBINING, &status);
    if (U_FAILURE(status)) {
        return std::u32string(line);
    }
    visual.resize(static_cast<std::size_t>(length));
    return Utf16ToUtf32(visual);
}

} // namespace paginor::engine::forms
