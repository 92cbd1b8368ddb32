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
    // Visual: "-- 3.2 <ba> <dc>" where <xy> are Hebrew letters shown reversed.
    // Read from the right: the two words, then the number, then the dashes
    // at the far left.
    const std::u32string visual = U"-- 3.2 \u05D1\u05D0 \u05D3\u05D2";
    EXPECT_EQ(visualToLogical(visual), U"\u05D2\u05D3 \u05D0\u05D1 3.2 --");
    EXPECT_EQ(visualToLogical(U"see \u05D1\u05D0 \u05D3\u05D2 here"),
              U"see \u05D2\u05D3 \u05D0\u05D1 here");
}

// Lines as a page shows them, left to right (brackets as they look), and as a
// careful reader types them.
struct OrderCase {
    const char* name;
    std::u32string shown;
    std::u32string typed;
};

void PrintTo(const OrderCase& c, std::ostream* os) {
    *os << c.name;
}

class LogicalOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(LogicalOrder, ReadsTheLineAsItWasTyped) {
    EXPECT_EQ(visualToLogical(GetParam().shown), GetParam().typed);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, LogicalOrder,
    ::testing::Values(
        // "(يناير)": the bracket shown on the left closes the word.
        OrderCase{"arabic_parenthesised_word", U"(\u0631\u064A\u0627\u0646\u064A)",
                  U"(\u064A\u0646\u0627\u064A\u0631)"},
        OrderCase{"arabic_guillemets", U"\u00AB\u0627\u0628\u062D\u0631\u0645\u00BB",
                  U"\u00AB\u0645\u0631\u062D\u0628\u0627\u00BB"},
        OrderCase{"arabic_with_number", U"2024 \u0645\u0627\u0639", U"\u0639\u0627\u0645 2024"},
        OrderCase{"hebrew_brackets_and_number",
                  U"123 (\u05DD\u05DC\u05D5\u05E2) \u05DD\u05D5\u05DC\u05E9",
                  U"\u05E9\u05DC\u05D5\u05DD (\u05E2\u05D5\u05DC\u05DD) 123"},
        OrderCase{"hebrew_with_latin_word",
                  U"\u05DD\u05DC\u05D5\u05E2 world \u05DD\u05D5\u05DC\u05E9",
                  U"\u05E9\u05DC\u05D5\u05DD world \u05E2\u05D5\u05DC\u05DD"},
        OrderCase{"hebrew_square_brackets", U"[\u05D1\u05D0]", U"[\u05D0\u05D1]"},
        // Glyphs named by the character typed rather than the one shown: the
        // bracket on the left is already U+0029.
        OrderCase{"brackets_named_as_typed", U")\u05DD\u05D5\u05DC\u05E9(",
                  U"(\u05E9\u05DC\u05D5\u05DD)"},
        // One bracket of a pair broken over two lines: mirrored, as most pages need.
        OrderCase{"lone_bracket", U"(\u05DD\u05D9\u05D1\u05EA\u05DB\u05DE",
                  U"\u05DE\u05DB\u05EA\u05D1\u05D9\u05DD)"},
        // A left-to-right line keeps its own brackets.
        OrderCase{"latin_line_with_arabic_word", U"see (\u0645\u0627\u0639) here",
                  U"see (\u0639\u0627\u0645) here"},
        OrderCase{"latin_unchanged", U"Total (2024): 5", U"Total (2024): 5"},
        OrderCase{"empty", U"", U""}),
    [](const auto& info) { return std::string(info.param.name); });

// A whole page: a parenthesised Hebrew word drawn glyph by glyph from the
// right (logical order, as most producers write it) reads the same as one
// drawn from the left.
TEST(WordAssemblyBidi, MirroredPairsComeOutInTypedOrder) {
    // "(שלום)" drawn left to right: "(", the letters reversed, ")".
    const std::u16string drawnLeftToRight =
        assembled({box(U"(\u05DD\u05D5\u05DC\u05E9)", 0, 0, false)});
    EXPECT_EQ(drawnLeftToRight, u"(\u05E9\u05DC\u05D5\u05DD)\r\n");
    // The same word drawn from the right: the first character stored (")",
    // the bracket that opens the word... as the page shows it, the one on
    // the right) is the rightmost glyph.
    Box fromTheRight = box(U")\u05E9\u05DC\u05D5\u05DD(", 0, 0, false);
    std::swap(fromTheRight.geometry.firstGlyph, fromTheRight.geometry.lastGlyph);
    EXPECT_EQ(assembled({fromTheRight}), u"(\u05E9\u05DC\u05D5\u05DD)\r\n");
}

} // namespace
} // namespace paginor::engine::text
