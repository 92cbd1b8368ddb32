// The order in which a line of field text is drawn. Expected strings are
// written out by hand from the bidirectional algorithm's rules, as a reader
// sees the line from left to right (brackets as they look).
#include "engine/forms/fallback_font.h"
#include "engine/forms/font_resolver.h"
#include "engine/forms/visual_order.h"

#include <gtest/gtest.h>

namespace paginor::engine::forms {
namespace {

struct OrderCase {
    const char* name;
    std::u32string logical;
    std::u32string drawn;
};

void PrintTo(const OrderCase& c, std::ostream* os) {
    *os << c.name;
}

class VisualOrder : public ::testing::TestWithParam<OrderCase> {};

TEST_P(VisualOrder, DrawsTheLineAsItIsRead) {
    const OrderCase& c = GetParam();
    EXPECT_EQ(visualString(c.logical, paragraphDirection(c.logical)), c.drawn);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, VisualOrder,
    ::testing::Values(OrderCase{"latin_unchanged", U"Ada (42)", U"Ada (42)"},
                      // Hebrew with a parenthesised word and a number: the number keeps its
                      // digits' order, the brackets face the word they enclose.
                      OrderCase{"hebrew_brackets_and_number",
                                U"\u05E9\u05DC\u05D5\u05DD (\u05E2\u05D5\u05DC\u05DD) 123",
                                U"123 (\u05DD\u05DC\u05D5\u05E2) \u05DD\u05D5\u05DC\u05E9"},
                      OrderCase{"hebrew_guillemets", U"\u00AB\u05E9\u05DC\u05D5\u05DD\u00BB",
                                U"\u00AB\u05DD\u05D5\u05DC\u05E9\u00BB"},
                      // Arabic with digits (Arabic-context numbers) and a Latin word.
                      OrderCase{"arabic_digits_and_latin",
                                U"\u0645\u0631\u062D\u0628\u0627 2024 world",
                                U"world 2024 \u0627\u0628\u062D\u0631\u0645"},
                      OrderCase{"arabic_parenthesised_month", U"(\u064A\u0646\u0627\u064A\u0631)",
                                U"(\u0631\u064A\u0627\u0646\u064A)"},
                      // A left-to-right sentence with a right-to-left word: the brackets
                      // belong to the sentence and stay as they are.
                      OrderCase{"latin_sentence_with_hebrew_word",
                                U"see (\u05E2\u05D5\u05DC\u05DD) here",
                                U"see (\u05DD\u05DC\u05D5\u05E2) here"},
                      OrderCase{"two_hebrew_words_in_latin", U"abc \u05D0\u05D1 \u05D2\u05D3 def",
                                U"abc \u05D3\u05D2 \u05D1\u05D0 def"},
                      OrderCase{"empty", U"", U""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(VisualOrder, ParagraphTakesTheDirectionOfItsFirstLetter) {
    EXPECT_EQ(paragraphDirection(U"123 \u05D0 abc"), TextDirection::RightToLeft);
    EXPECT_EQ(paragraphDirection(U"(abc) \u05D0"), TextDirection::LeftToRight);
    EXPECT_EQ(paragraphDirection(U"123 !"), TextDirection::LeftToRight);
    // A wrapped line keeps its paragraph's direction: Latin words that start
    // the second line of a Hebrew paragraph still read from the right.
    EXPECT_EQ(visualString(U"one two", TextDirection::RightToLeft), U"one two");
    EXPECT_EQ(visualString(U"one \u05D0\u05D1", TextDirection::RightToLeft), U"\u05D1\u05D0 one");
    EXPECT_EQ(visualString(U"one \u05D0\u05D1", TextDirection::LeftToRight), U"one \u05D1\u05D0");
}

TEST(VisualOrder, RunsComeLeftToRightWithTheirDirection) {
    // "שלום 123" in a right-to-left paragraph: the number is drawn first.
    const auto runs = visualRuns(U"\u05E9\u05DC\u05D5\u05DD 123", TextDirection::RightToLeft);
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].start, 5u);
    EXPECT_EQ(runs[0].length, 3u);
    EXPECT_FALSE(runs[0].rightToLeft);
    EXPECT_EQ(runs[1].start, 0u);
    EXPECT_EQ(runs[1].length, 5u);
    EXPECT_TRUE(runs[1].rightToLeft);
    // Characters outside the basic plane count once.
    const auto wide = visualRuns(U"\U0001D400 \u05D0", TextDirection::LeftToRight);
    ASSERT_EQ(wide.size(), 2u);
    EXPECT_EQ(wide[1].start, 2u);
    EXPECT_EQ(wide[1].length, 1u);
}

// The shaper mirrors brackets inside right-to-left runs. "(שלום)" is read
// from the right, opening bracket first; drawn from the left, its first glyph
// is the closing bracket mirrored, which looks like U+0028, and its last
// looks like U+0029.
TEST(FallbackFontShaping, BracketsOfRightToLeftRunsAreMirrored) {
    FallbackFont font;
    if (!font.usable()) {
        GTEST_SKIP() << "no installed font";
    }
    const ShapedText shaped = font.shape(U"(\u05E9\u05DC\u05D5\u05DD)");
    ASSERT_FALSE(shaped.runs.empty());
    const ShapedRun& left = shaped.runs.front();
    const ShapedRun& right = shaped.runs.back();
    ASSERT_FALSE(left.glyphs.empty());
    ASSERT_FALSE(right.glyphs.empty());
    auto glyphOf = [](size_t face, char32_t c) {
        hb_codepoint_t glyph = 0;
        hb_font_get_nominal_glyph(FontResolver::shared().face(face)->font, c, &glyph);
        return glyph;
    };
    EXPECT_EQ(left.glyphs.front().glyph, glyphOf(left.face, U'('));
    EXPECT_EQ(right.glyphs.back().glyph, glyphOf(right.face, U')'));
}

} // namespace
} // namespace paginor::engine::forms
