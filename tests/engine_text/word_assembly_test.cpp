#include "word_assembly.h"

#include <gtest/gtest.h>

namespace paginor::engine::text {
namespace {

// A box of `height` starting at (x, y) in a left-to-right line, one glyph per
// character spread evenly over its width.
TextBox box(std::u32string text, double x, double y, bool spaceAfter = true, int rotation = 0) {
    const double width = 6.0 * static_cast<double>(text.size());
    TextBox b{std::move(text), {x, y, x + width, y + 10}, rotation, spaceAfter, {}};
    for (std::size_t i = 0; i < b.text.size(); ++i)
        b.glyphs.push_back({x + 6.0 * i, y, x + 6.0 * (i + 1), y + 10});
    return b;
}

// Same box turned a quarter (text running down the page at column x).
TextBox downwards(std::u32string text, double x, double y) {
    TextBox b = box(std::move(text), 0, 0, true, 1);
    auto turn = [&](const BoxRect& r) { return BoxRect{x, y + r.x0, x + 10, y + r.x1}; };
    b.bbox = turn(b.bbox);
    for (auto& g : b.glyphs)
        g = turn(g);
    return b;
}

std::u16string joined(const std::vector<PageWord>& words) {
    std::u16string text;
    for (const auto& w : words)
        text += w.text + w.separator;
    return text;
}

struct AssemblyCase {
    const char* name;
    std::vector<TextBox> boxes;
    std::u16string expected;
};

void PrintTo(const AssemblyCase& c, std::ostream* os) {
    *os << c.name;
}

class WordAssembly : public ::testing::TestWithParam<AssemblyCase> {};

TEST_P(WordAssembly, BuildsWordsWithTheirSeparators) {
    EXPECT_EQ(joined(assembleWords(GetParam().boxes)), GetParam().expected);
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
        AssemblyCase{"superscript_stays_on_line",
                     {box(U"x", 0, 0, false), TextBox{U"2", {6, -3, 10, 4}, 0, true, {}},
                      box(U"y", 20, 0, false)},
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
