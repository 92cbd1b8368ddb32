#include "engine/forms/da_parser.h"
#include "engine/forms/pdf_text_string.h"
#include "engine/forms/text_layout.h"

#include <gtest/gtest.h>

namespace paginor::engine::forms {
namespace {

TEST(PdfTextString, DecodesEveryEncodingToUtf8) {
    struct Case {
        std::string bytes;
        std::string utf8;
    };
    const Case cases[] = {
        {"Plain", "Plain"},
        {"Caf\xE9", "Caf\xC3\xA9"},                                       // PDFDocEncoding e-acute
        {"\x80", "\xE2\x80\xA2"},                                         // PDFDocEncoding bullet
        {std::string("\xFE\xFF\x03\xA0\x00!", 6), "\xCE\xA0!"},           // UTF-16BE Greek Pi
        {std::string("\xFE\xFF\xD8\x3D\xDE\x00", 6), "\xF0\x9F\x98\x80"}, // surrogate pair
        {std::string("\xFF\xFE\x41\x00", 4), "A"}, // little-endian written by some tools
        {"\xEF\xBB\xBF\xD0\xAF", "\xD0\xAF"},      // UTF-8 with its mark
    };
    for (const Case& c : cases) {
        EXPECT_EQ(decodePdfTextBytes(c.bytes), c.utf8) << c.utf8;
    }
}

TEST(PdfTextString, WritesTextThatReadsBack) {
    for (const std::string text :
         {"ASCII", "Caf\xC3\xA9", "\xE4\xB8\xAD\xE6\x96\x87", "\xD8\xB3\xD9\x84\xD8\xA7\xD9\x85"}) {
        EXPECT_EQ(textOf(makePdfTextString(text)), text);
    }
}

TEST(DefaultAppearance, ReadsFontSizeAndColour) {
    struct Case {
        std::string da;
        std::string font;
        double size;
        std::string color;
    };
    const Case cases[] = {
        {"/Helv 0 Tf 0 g", "Helv", 0, "0 g"},
        {"0 0 1 rg /TiRo 12 Tf", "TiRo", 12, "0 0 1 rg"},
        {"/F1 9.5 Tf 0 0 0 1 k", "F1", 9.5, "0 0 0 1 k"},
        {"/Cour 10 Tf 1 0 0 rg /Helv 8 Tf", "Helv", 8, "1 0 0 rg"}, // the last Tf counts
        {"garbage Tf", "", 0, "0 g"},
        {"", "", 0, "0 g"},
    };
    for (const Case& c : cases) {
        const DefaultAppearance parsed = parseDefaultAppearance(c.da);
        EXPECT_EQ(parsed.fontName, c.font) << c.da;
        EXPECT_DOUBLE_EQ(parsed.fontSize, c.size) << c.da;
        EXPECT_EQ(parsed.colorOperator, c.color) << c.da;
    }
}

TEST(TextLayout, SplitsParagraphsAtEveryLineEnd) {
    const auto paragraphs = splitParagraphs(U"one\r\ntwo\rthree\nfour\tfive\x01");
    ASSERT_EQ(paragraphs.size(), 4u);
    EXPECT_EQ(paragraphs[0], U"one");
    EXPECT_EQ(paragraphs[2], U"three");
    EXPECT_EQ(paragraphs[3], U"four five");
}

} // namespace
} // namespace paginor::engine::forms
