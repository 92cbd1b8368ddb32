// Widths of the standard fonts forms name without embedding them: every
// character, bold and italic included, as FreeType measures the URW fonts'
// OpenType files (a second file and a real cmap, not the Type 1 glyph names
// the engine reads), and text placed by them.
#include "engine/forms/field_tree.h"
#include "engine/forms/field_value_writer.h"
#include "engine/forms/standard_font_metrics.h"
#include "forms_test_support.h"

#include "text_encoding/utf_conversion.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <gtest/gtest.h>

#include <filesystem>
#include <regex>

namespace paginor::engine::forms {
namespace {

namespace fs = std::filesystem;

const fs::path kUrwOpenType = "/usr/share/fonts/opentype/urw-base35";

// FreeType's advance of `character` in `file`, in thousandths of the size;
// -1 when the font has no glyph for it.
class OpenTypeFace {
public:
    explicit OpenTypeFace(const fs::path& file) {
        if (FT_Init_FreeType(&library_) == 0 &&
            FT_New_Face(library_, file.c_str(), 0, &face_) != 0) {
            face_ = nullptr;
        }
    }
    ~OpenTypeFace() {
        if (face_ != nullptr) {
            FT_Done_Face(face_);
        }
        if (library_ != nullptr) {
            FT_Done_FreeType(library_);
        }
    }
    bool ok() const { return face_ != nullptr; }
    double advance(char32_t character) const {
        const FT_UInt glyph = FT_Get_Char_Index(face_, character);
        if (glyph == 0 || FT_Load_Glyph(face_, glyph, FT_LOAD_NO_SCALE) != 0) {
            return -1;
        }
        return face_->glyph->metrics.horiAdvance * 1000.0 / face_->units_per_EM;
    }

private:
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

// Accented Latin, ligatures and punctuation beyond ASCII, and letters whose
// bold or italic widths differ from the regular ones.
const std::u32string kProbe = U"AaMrfiW\u00C6\u00E6\u00C5\u00E9\u00DF\u00F1\u0152\u0153\u0160"
                              U"\u017E\u0141\u0151\u20AC\u2014\u2026\u201E\u2122\u00BD";

struct NameRow {
    const char* name;     // as a form names the font
    const char* openType; // the URW face that stands for it
};

class StandardFontWidths : public ::testing::TestWithParam<NameRow> {};

TEST_P(StandardFontWidths, MatchTheUrwFaceForEveryCharacter) {
    const NameRow& row = GetParam();
    const OpenTypeFace face(kUrwOpenType / row.openType);
    if (!face.ok()) {
        GTEST_SKIP() << "URW fonts not installed";
    }
    const StandardFont font = standardFontOf(row.name);
    for (char32_t c : kProbe) {
        const double expected = face.advance(c);
        ASSERT_GT(expected, 0) << row.openType << " lacks U+" << std::hex << unsigned(c);
        EXPECT_NEAR(standardGlyphWidth(font, c), expected, 0.5)
            << row.name << " U+" << std::hex << unsigned(c);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Names, StandardFontWidths,
    ::testing::Values(
        NameRow{"/Helvetica", "NimbusSans-Regular.otf"}, NameRow{"/Helv", "NimbusSans-Regular.otf"},
        NameRow{"/Helvetica-Bold", "NimbusSans-Bold.otf"}, NameRow{"/HeBo", "NimbusSans-Bold.otf"},
        NameRow{"/Helvetica-Oblique", "NimbusSans-Italic.otf"},
        NameRow{"/Helvetica-BoldOblique", "NimbusSans-BoldItalic.otf"},
        NameRow{"/Arial,BoldItalic", "NimbusSans-BoldItalic.otf"},
        NameRow{"/ArialMT", "NimbusSans-Regular.otf"},
        NameRow{"/Times-Roman", "NimbusRoman-Regular.otf"},
        NameRow{"/TiRo", "NimbusRoman-Regular.otf"}, NameRow{"/Times-Bold", "NimbusRoman-Bold.otf"},
        NameRow{"/TimesNewRomanPS-ItalicMT", "NimbusRoman-Italic.otf"},
        NameRow{"/TiBI", "NimbusRoman-BoldItalic.otf"},
        NameRow{"/Courier", "NimbusMonoPS-Regular.otf"},
        NameRow{"/CoBO", "NimbusMonoPS-BoldItalic.otf"}),
    [](const auto& info) {
        std::string name;
        for (char c : std::string(info.param.name)) {
            name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
        }
        return name;
    });

TEST(StandardFontWidths, BoldIsMeasuredAsBoldAndDingbatsByCode) {
    if (!OpenTypeFace(kUrwOpenType / "NimbusSans-Bold.otf").ok()) {
        GTEST_SKIP() << "URW fonts not installed";
    }
    // What the regular-only table of old got wrong.
    EXPECT_EQ(standardGlyphWidth(standardFontOf("/Helvetica"), U'r'), 333);
    EXPECT_EQ(standardGlyphWidth(standardFontOf("/Helvetica-Bold"), U'r'), 389);
    // ZapfDingbats' check mark ("4") and bullet ("l"), by code.
    const StandardFont dingbats = standardFontOf("/ZaDb");
    ASSERT_EQ(dingbats.family, StandardFamily::ZapfDingbats);
    const auto check = standardGlyphForCode(dingbats, '4');
    ASSERT_TRUE(check);
    EXPECT_NEAR(check->width, 846, 0.5);
    EXPECT_GT(check->top, check->bottom);
    EXPECT_TRUE(standardGlyphForCode(dingbats, 'l'));
}

// A right-aligned field in Helvetica-Bold that lists no widths: the text
// ends at the right padding only if every accented letter is measured right.
TEST(StandardFontWidths, PlaceRightAlignedAccentedText) {
    const OpenTypeFace bold(kUrwOpenType / "NimbusSans-Bold.otf");
    if (!bold.ok()) {
        GTEST_SKIP() << "URW fonts not installed";
    }
    auto pdf = test::makeSampleForm();
    QPDFObjectHandle acroForm = pdf->getRoot().getKey("/AcroForm");
    acroForm.getKey("/DR").getKey("/Font").replaceKey(
        "/HeBo", pdf->makeIndirectObject(QPDFObjectHandle::parse(
                     "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica-Bold "
                     "/Encoding /WinAnsiEncoding >>")));
    const FieldTree tree = FieldTree::build(*pdf);
    FormField field = test::fieldNamed(tree, "name");
    field.dictionary.replaceKey("/DA", QPDFObjectHandle::newString("/HeBo 10 Tf 0 g"));
    field.dictionary.replaceKey("/Q", QPDFObjectHandle::newInteger(2));
    field.dictionary.removeKey("/MaxLen");
    const std::string value = "\xC3\x86r\xC3\xB8 \xC5\x92uvre \xE2\x82\xAC"
                              "5";
    const WriteResult written = writeFieldValue(*pdf, field, value);
    ASSERT_TRUE(written.ok) << written.description;

    QPDFObjectHandle stream = field.widgets.at(0).getKey("/AP").getKey("/N");
    auto data = stream.getStreamData(qpdf_dl_all);
    const std::string content(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
    std::smatch placed;
    ASSERT_TRUE(std::regex_search(content, placed, std::regex(R"(1 0 0 1 ([-0-9.]+) [-0-9.]+ Tm)")))
        << content;
    double width = 0;
    for (char32_t c : Utf8ToUtf32(value)) {
        width += bold.advance(c);
    }
    const double boxWidth = stream.getDict().getKey("/BBox").getArrayItem(2).getNumericValue();
    // Right-aligned: box width minus the border and padding minus the text.
    const double border = 1;
    const double padding = 2;
    EXPECT_NEAR(std::stod(placed[1]), boxWidth - border - padding - width * 10 / 1000, 0.01)
        << content;
}

} // namespace
} // namespace paginor::engine::forms
