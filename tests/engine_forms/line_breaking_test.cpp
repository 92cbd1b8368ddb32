// Where multi-line field text breaks: at the opportunities ICU finds (after
// spaces and hyphens, around CJK, between Thai words), never inside a word
// that fits and never between a letter and its marks; and Thai wrapped in a
// real field shows in both renderers.
#include "engine/forms/field_tree.h"
#include "engine/forms/field_value_writer.h"
#include "engine/forms/text_layout.h"
#include "forms_test_support.h"

#include <unicode/uchar.h>

#include <gtest/gtest.h>

namespace paginor::engine::forms {
namespace {

// Every letter 500 wide and every combining mark 250, so that a line cut
// between a letter and its mark shows.
class EvenFont : public AppearanceFont {
public:
    ShapedText shape(std::u32string_view text, TextDirection) override {
        ShapedText shaped;
        for (char32_t c : text) {
            shaped.width += u_charType(static_cast<UChar32>(c)) == U_NON_SPACING_MARK ? 250 : 500;
        }
        return shaped;
    }
    double ascent() const override { return 800; }
    double descent() const override { return -200; }
    void finish(FormContext&, QPDFObjectHandle) override {}
    std::string show(const ShapedText&, double) const override { return {}; }
};

struct WrapRow {
    const char* name;
    std::u32string text;
    int lettersPerLine;
    std::vector<std::u32string> lines;
};

void PrintTo(const WrapRow& row, std::ostream* out) {
    *out << row.name;
}

class LineBreaking : public ::testing::TestWithParam<WrapRow> {};

TEST_P(LineBreaking, BreaksWhereTheTextAllows) {
    const WrapRow& row = GetParam();
    EvenFont font;
    const WrapPieces pieces = cutForWrapping(font, row.text);
    EXPECT_EQ(wrapPieces(font, pieces, row.lettersPerLine * 500.0), row.lines);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, LineBreaking,
    ::testing::Values(
        WrapRow{"Spaces", U"the quick brown fox", 10, {U"the quick", U"brown fox"}},
        WrapRow{"AfterAHyphen", U"well-known facts", 7, {U"well-", U"known", U"facts"}},
        // "ภาษาไทย" is two words, "ภาษา" and "ไทย", written without a space.
        WrapRow{"ThaiWords",
                U"\u0E20\u0E32\u0E29\u0E32\u0E44\u0E17\u0E22",
                5,
                {U"\u0E20\u0E32\u0E29\u0E32", U"\u0E44\u0E17\u0E22"}},
        // "สวัสดีครับ": "สวัสดี" (2500 wide) then "ครับ".
        WrapRow{"ThaiWordsWithMarks",
                U"\u0E2A\u0E27\u0E31\u0E2A\u0E14\u0E35\u0E04\u0E23\u0E31\u0E1A",
                5,
                {U"\u0E2A\u0E27\u0E31\u0E2A\u0E14\u0E35", U"\u0E04\u0E23\u0E31\u0E1A"}},
        WrapRow{"CjkBetweenCharacters",
                U"\u4E2D\u6587\u5B57\u6BB5",
                3,
                {U"\u4E2D\u6587\u5B57", U"\u6BB5"}},
        // A no-break space holds its neighbours together.
        WrapRow{"NoBreakSpace", U"pay 10\u00A0kg now", 7, {U"pay", U"10\u00A0kg", U"now"}},
        // Longer than a line: cut between letters, a letter keeps its mark.
        WrapRow{"LongWordKeepsMarksWithLetters",
                U"\u0E2A\u0E27\u0E31\u0E2A\u0E14\u0E35",
                2,
                {U"\u0E2A", U"\u0E27\u0E31", U"\u0E2A", U"\u0E14\u0E35"}},
        WrapRow{"LongLatinWord", U"abcdefgh", 3, {U"abc", U"def", U"gh"}},
        WrapRow{"Empty", U"", 5, {U""}}),
    [](const auto& info) { return std::string(info.param.name); });

// Thai wrapped in the sample's multi-line field, drawn with an installed Thai
// font, shows in both renderers.
TEST(LineBreaking, WrappedThaiShowsInBothRenderers) {
    auto empty = test::makeSampleForm();
    const std::string emptyBytes = test::saveToBytes(*empty);
    auto pdf = test::makeSampleForm();
    const FieldTree tree = FieldTree::build(*pdf);
    FormField notes = test::fieldNamed(tree, "notes");
    notes.dictionary.replaceKey("/DA", QPDFObjectHandle::newString("/Helv 12 Tf 0 g"));
    // "ภาษาไทยง่ายนิดเดียว สวัสดีครับ" several times: longer than one line.
    std::string thai;
    for (int i = 0; i < 3; ++i) {
        thai += "\xE0\xB8\xA0\xE0\xB8\xB2\xE0\xB8\xA9\xE0\xB8\xB2\xE0\xB9\x84\xE0\xB8\x97\xE0\xB8"
                "\xA2\xE0\xB8\xAA\xE0\xB8\xA7\xE0\xB8\xB1\xE0\xB8\xAA\xE0\xB8\x94\xE0\xB8\xB5\xE0"
                "\xB8\x84\xE0\xB8\xA3\xE0\xB8\xB1\xE0\xB8\x9A ";
    }
    const WriteResult written = writeFieldValue(*pdf, notes, thai);
    ASSERT_TRUE(written.ok) << written.description;
    auto data = notes.widgets.at(0).getKey("/AP").getKey("/N").getStreamData(qpdf_dl_all);
    const std::string content(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
    size_t lines = 0;
    for (size_t at = content.find(" Tm "); at != std::string::npos;
         at = content.find(" Tm ", at + 1)) {
        ++lines;
    }
    EXPECT_GE(lines, 2u) << content;
    const std::string filled = test::saveToBytes(*pdf);
    for (const char* tool : {"pdftoppm", "mutool"}) {
        auto changed = test::changedPixels(tool, emptyBytes, filled, 12, 302, 148, 348);
        ASSERT_TRUE(changed) << tool;
        EXPECT_GT(*changed, 100) << tool << " shows no Thai text";
    }
}

} // namespace
} // namespace paginor::engine::forms
