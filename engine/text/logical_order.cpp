#include "logical_order.h"

#include "text_encoding/utf_conversion.h"

#include <unicode/ubidi.h>
#include <unicode/uchar.h>

#include <memory>
#include <vector>

namespace paginor::engine::text {
namespace {

struct BidiCloser {
    void operator()(UBiDi* bidi) const { ubidi_close(bidi); }
};

// More right-to-left than left-to-right letters: the line is read from the right.
bool readsRightToLeft(std::u32string_view line) {
    long balance = 0;
    for (char32_t c : line) {
        switch (u_charDirection(static_cast<UChar32>(c))) {
        case U_LEFT_TO_RIGHT:
            ++balance;
            break;
        case U_RIGHT_TO_LEFT:
        case U_RIGHT_TO_LEFT_ARABIC:
            --balance;
            break;
        default:
            break;
        }
    }
    return balance < 0;
}

// Brackets left unpaired in a line: a closing one with no opening one
// before it, an opening one never closed. Guillemets count as a pair.
int unpairedBrackets(std::u32string_view line) {
    std::vector<char32_t> open; // the closing bracket each open one waits for
    int unpaired = 0;
    for (char32_t c : line) {
        const auto type =
            u_getIntPropertyValue(static_cast<UChar32>(c), UCHAR_BIDI_PAIRED_BRACKET_TYPE);
        if (type == U_BPT_OPEN || c == 0x00AB || c == 0x2039) {
            open.push_back(c == 0x00AB   ? 0x00BB
                           : c == 0x2039 ? 0x203A
                                         : static_cast<char32_t>(
                                               u_getBidiPairedBracket(static_cast<UChar32>(c))));
        } else if (type == U_BPT_CLOSE || c == 0x00BB || c == 0x203A) {
            if (!open.empty() && open.back() == c)
                open.pop_back();
            else
                ++unpaired;
        }
    }
    return unpaired + static_cast<int>(open.size());
}

} // namespace

std::u32string visualToLogical(std::u32string_view visualLine) {
    const std::u16string visual = Utf32ToUtf16(visualLine);
    std::unique_ptr<UBiDi, BidiCloser> bidi(ubidi_open());
    if (!bidi || visual.size() > static_cast<std::size_t>(INT32_MAX / 2))
        return std::u32string(visualLine);
    UErrorCode status = U_ZERO_ERROR;
    ubidi_setReorderingMode(bidi.get(), UBIDI_REORDER_INVERSE_NUMBERS_AS_L);
    ubidi_setPara(bidi.get(), visual.data(), static_cast<int32_t>(visual.size()),
                  readsRightToLeft(visualLine) ? UBIDI_RTL : UBIDI_LTR, nullptr, &status);
    // Combining marks are turned round with the letters: pages drawn in
    // visual order put a mark before the letter it sits on.
    auto reordered = [&](uint16_t options) {
        std::u16string logical(visual.size(), u'\0'); // reordering keeps the length
        const int32_t length = ubidi_writeReordered(
            bidi.get(), logical.data(), static_cast<int32_t>(logical.size()), options, &status);
        logical.resize(U_SUCCESS(status) ? static_cast<std::size_t>(length) : 0);
        return Utf16ToUtf32(logical);
    };
    const std::u32string mirrored = reordered(UBIDI_DO_MIRRORING);
    if (U_FAILURE(status))
        return std::u32string(visualLine);
    // Most pages name each glyph by what it shows, so the brackets of a
    // right-to-left run must be mirrored back; some name it by the character
    // typed, already the right one. The reading that pairs the line's
    // brackets wins; mirroring when both pair equally well.
    const std::u32string asNamed = reordered(0);
    if (U_SUCCESS(status) && unpairedBrackets(asNamed) < unpairedBrackets(mirrored))
        return asNamed;
    return mirrored;
}

} // namespace paginor::engine::text
