#include "word_assembly.h"

#include <gtest/gtest.h>

namespace paginor::engine::text {
namespace {

// A word box and its characters, before they go into a page's buffer.
struct Box {
    std::u32string text;
    TextBox geometry;
};

// A box of `height` starting at (x, y) in a left-to-right line, its glyphs
// spread evenly over its width.
Box box(std::u32string text, double x, double y, bool spaceAfter = true, int rotation = 0) {
    const double width = 6.0 * static_cast<double>(text.size());
    TextBox b;
    b.bbox = {x, y, x + width, y + 10};
    b.rotation = rotation;
    b.spaceAfter = spaceAfter;
    b.glyphsKnown = !text.empty();
    b.firstGlyph = {x, y, x + 6.0, y + 10};
    b.lastGlyph = {x + width - 6.0, y, x + width, y + 10};
    return {std::move(text), b};
}

// Same box turned a quarter (text running down the page at column x).
Box downwards(std::u32string text, double x, double y) {
    Box b = box(std::move(text), 0, 0, true, 1);
    auto turn = [&](const BoxRect& r) { return BoxRect{x, y + r.x0, x + 10, y + r.x1}; };
    b.geometry.bbox = turn(b.geometry.bbox);
    b.geometry.firstGlyph = turn(b.geometry.firstGlyph);
    b.geometry.lastGlyph = turn(b.geometry.lastGlyph);
    return b;
}

// A box whose glyphs are not known.
Box superscript(std::u32string text, BoxRect bbox) {
    TextBox b;
    b.bbox = bbox;
    b.spaceAfter = true;
    return {std::move(text), b};
}

PageBoxes pageOf(const std::vector<Box>& boxes) {
    PageBoxes page;
    for (const Box& b : boxes) {
        TextBox placed = b.geometry;
        placed.first = page.characters.size();
        placed.length = b.text.size();
        page.characters += b.text;
        page.boxes.push_back(placed);
    }
    return page;
}

std::u16string joined(const PageText& words) {
    std::u16string text;
    for (const auto& w : words.words) {
        text += words.textOf(w);
        text += PageText::separatorOf(w);
    }
    return text;
}

std::u16string assembled(const std::vector<Box>& boxes) {
    PageText words;
    assembleWords(pageOf(boxes), words);
    return joined(words);
}

struct AssemblyCase {
    const char* name;
    std::vector<Box> boxes;
    std::u16string expected;
};

void PrintTo(const AssemblyCase& c, std::ostream* os) {
    *os << c.name;
}

class WordAssembly : public ::testing::TestWithParam<AssemblyCase> {};

TEST_P(WordAssembly, BuildsWordsWithTheirSeparators) {
    EXPECT_EQ(assembled(GetParam().boxes), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, WordAssembly,
    ::testing::Values(
        AssemblyCase{"empty_page", {}, u""},
        AssemblyCase{
            "one_line", {box(U"Hello", 0, 0), box(U"world", 40, 0, false)}, u"Hello world\r\n"},
        AssemblyCase{"two_lines",
                     {box(U"a", 0, 0), box(U"b", 10, 0, false), box(U"c", 0, 14, false)},
                     u"a b\r\nc\r\n"},
        AssemblyCase{"backward_jump_same_baseline",
                     {box(U"left", 300, 0, false), box(U"next", 0, 0, false)},
                     u"left\r\nnext\r\n"},
        AssemblyCase{"font_change_inside_word",
                     {box(U"bo", 0, 0, false), box(U"ld", 12, 0, false)},
                     u"bold\r\n"},
        AssemblyCase{"wide_gap_without_space_is_a_new_line",
                     {box(U"col1", 0, 0, false), box(U"col2", 200, 0, false)},
                     u"col1\r\ncol2\r\n"},
        AssemblyCase{"small_gap_without_space_flag_separates",
                     {box(U"a.", 0, 0, false), box(U"b", 18, 0, false)},
                     u"a. b\r\n"},
        AssemblyCase{
            "superscript_stays_on_line",
            {box(U"x", 0, 0, false), superscript(U"2", {6, -3, 10, 4}), box(U"y", 20, 0, false)},
            u"x2 y\r\n"},
        AssemblyCase{"space_inside_box_splits", {box(U"two words", 0, 0, false)}, u"two words\r\n"},
        AssemblyCase{
            "ligatures_become_letters", {box(U"\uFB01nd \uFB04y", 0, 0, false)}, u"find ffly\r\n"},
        AssemblyCase{
            "rotated_text_lines",
            {downwards(U"down", 100, 0), downwards(U"page", 100, 30), downwards(U"next", 80, 0)},
            u"down page\r\nnext\r\n"},
        // Hebrew drawn in visual order: glyphs reversed, words right to left,
        // the number keeps its digits' order.
        AssemblyCase{"hebrew_visual_order",
                     {box(U"2024", 0, 0), box(U"\u05DD\u05D5\u05DC\u05E9", 30, 0),
                      box(U"\u05D4\u05E8\u05D5\u05EA", 60, 0, false)},
                     u"\u05EA\u05D5\u05E8\u05D4 \u05E9\u05DC\u05D5\u05DD 2024\r\n"},
        AssemblyCase{"arabic_presentation_forms",
                     {box(U"\uFEFB\uFE8E", 0, 0, false)},
                     u"\u0627\u0644\u0627\r\n"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VisualToLogical, KeepsLeftToRightRunsInsideRightToLeftLines) {
    // Visual: "-- 3.2 <ba> <ab>" where <xy> are Hebrew letters shown reversed.
    const std::u32string visual = U"-- 3.2 \u05D1\u05D0 \u05D3\u05D2";
    EXPECT_EQ(visualToLogical(visual), U"\u05D2\u05D3 \u05D0\u05D1 -- 3.2");
    EXPECT_EQ(visualToLogical(U"see \u05D1\u05D0 \u05D3\u05D2 here"),
              U"see \u05D2\u05D3 \u05D0\u05D1 here");
}

} // namespace
} // namespace paginor::engine::text
