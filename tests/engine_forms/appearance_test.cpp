#include "engine/forms/field_tree.h"
#include "engine/forms/field_value_writer.h"
#include "forms_test_support.h"

#include <gtest/gtest.h>

#include <regex>

namespace paginor::engine::forms {
namespace {

using test::fieldNamed;

QPDFObjectHandle normalAppearance(const FormField& field) {
    QPDFObjectHandle widget = field.widgets.at(0);
    return widget.getKey("/AP").getKey("/N");
}

std::string contentOf(const FormField& field) {
    auto data = normalAppearance(field).getStreamData(qpdf_dl_all);
    return std::string(reinterpret_cast<const char*>(data->getBuffer()), data->getSize());
}

std::vector<double> fontSizes(const std::string& content) {
    std::vector<double> sizes;
    const std::regex tf(R"(/\S+ ([0-9.]+) Tf)");
    for (auto it = std::sregex_iterator(content.begin(), content.end(), tf);
         it != std::sregex_iterator(); ++it) {
        sizes.push_back(std::stod((*it)[1]));
    }
    return sizes;
}

size_t countOf(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

TEST(TextAppearance, NonLatinValuesUseAnEmbeddedSubsetAndRender) {
    struct Case {
        const char* script;
        std::string value;
        std::string toUnicodeHex; // the first character as the CMap writes it
    };
    const Case cases[] = {
        {"Greek", "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xB7\xCE\xBD\xCE\xB9\xCE\xBA\xCE\xAC", "0395"},
        {"Cyrillic", "\xD0\x9A\xD0\xB8\xD1\x80\xD0\xB8\xD0\xBB\xD0\xBB\xD0\xB8\xD1\x86\xD0\xB0",
         "041A"},
        {"Chinese", "\xE4\xB8\xAD\xE6\x96\x87\xE5\xAD\x97\xE6\xAE\xB5", "4E2D"},
        {"Arabic", "\xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7", "0645"},
    };
    auto empty = test::makeSampleForm();
    const std::string emptyBytes = test::saveToBytes(*empty);
    for (const Case& c : cases) {
        auto pdf = test::makeSampleForm();
        const FieldTree tree = FieldTree::build(*pdf);
        FormField field = fieldNamed(tree, "group.inner");
        const WriteResult result = writeFieldValue(*pdf, field, c.value);
        ASSERT_TRUE(result.ok) << c.script << ": " << result.description;

        QPDFObjectHandle fonts =
            normalAppearance(field).getDict().getKey("/Resources").getKey("/Font");
        ASSERT_TRUE(fonts.isDictionary()) << c.script;
        bool embedded = false;
        for (const std::string& key : fonts.getKeys()) {
            QPDFObjectHandle font = fonts.getKey(key);
            if (!font.getKey("/Subtype").isNameAndEquals("/Type0")) {
                continue;
            }
            embedded = true;
            EXPECT_TRUE(font.getKey("/Encoding").isNameAndEquals("/Identity-H"));
            auto cmap = font.getKey("/ToUnicode").getStreamData(qpdf_dl_all);
            const std::string cmapText(reinterpret_cast<const char*>(cmap->getBuffer()),
                                       cmap->getSize());
            EXPECT_NE(cmapText.find(c.toUnicodeHex), std::string::npos) << c.script;
            QPDFObjectHandle descriptor =
                font.getKey("/DescendantFonts").getArrayItem(0).getKey("/FontDescriptor");
            QPDFObjectHandle program = descriptor.getKey("/FontFile2");
            if (!program.isStream()) {
                program = descriptor.getKey("/FontFile3");
            }
            ASSERT_TRUE(program.isStream()) << c.script;
            // A subset: kilobytes, not the megabytes of the installed font.
            EXPECT_LT(program.getStreamData(qpdf_dl_all)->getSize(), 64u * 1024) << c.script;
            EXPECT_TRUE(font.getKey("/DescendantFonts").getArrayItem(0).getKey("/W").isArray());
        }
        EXPECT_TRUE(embedded) << c.script;

        const std::string filled = test::saveToBytes(*pdf);
        for (const char* tool : {"pdftoppm", "mutool"}) {
            auto changed = test::changedPixels(tool, emptyBytes, filled, 10, 100, 150, 120);
            if (!changed) {
                ADD_FAILURE() << tool << " could not render the " << c.script << " form";
                continue;
            }
            EXPECT_GT(*changed, 30) << tool << " shows no " << c.script << " text";
        }
    }
}

TEST(TextAppearance, LatinValueUsesTheFormsOwnFont) {
    auto pdf = test::makeSampleForm();
    const FieldTree tree = FieldTree::build(*pdf);
    FormField field = fieldNamed(tree, "name");
    ASSERT_TRUE(writeFieldValue(*pdf, field, "Caf\xC3\xA9").ok);
    QPDFObjectHandle fonts = normalAppearance(field).getDict().getKey("/Resources").getKey("/Font");
    ASSERT_EQ(fonts.getKeys().size(), 1u);
    EXPECT_TRUE(fonts.getKey("/Helv").isSameObjectAs(
        pdf->getRoot().getKey("/AcroForm").getKey("/DR").getKey("/Font").getKey("/Helv")));
    EXPECT_NE(contentOf(field).find("<436166E9> Tj"), std::string::npos); // WinAnsi bytes
}

TEST(TextAppearance, AutoSizeShrinksLongTextAndMultilineWraps) {
    auto pdf = test::makeSampleForm();
    const FieldTree tree = FieldTree::build(*pdf);
    FormField name = fieldNamed(tree, "name");
    ASSERT_TRUE(writeFieldValue(*pdf, name, "Ab").ok);
    const double shortSize = fontSizes(contentOf(name)).at(0);
    ASSERT_TRUE(writeFieldValue(*pdf, name, "WWWWWWWWWW").ok);
    const double longSize = fontSizes(contentOf(name)).at(0);
    EXPECT_LT(longSize, shortSize);

    FormField notes = fieldNamed(tree, "notes");
    ASSERT_TRUE(
        writeFieldValue(*pdf, notes, "the quick brown fox jumps over the lazy dog again and again")
            .ok);
    EXPECT_GE(countOf(contentOf(notes), " Tm "), 2u);
}

TEST(TextAppearance, CombSpreadsCharactersOverCellsAndAlignmentMovesText) {
    auto pdf = test::makeSampleForm();
    const FieldTree tree = FieldTree::build(*pdf);
    FormField code = fieldNamed(tree, "code");
    ASSERT_TRUE(writeFieldValue(*pdf, code, "AB12").ok);
    const std::string content = contentOf(code);
    std::vector<double> xs;
    const std::regex placement(R"(1 0 0 1 ([0-9.]+) [0-9.]+ Tm)");
    for (auto it = std::sregex_iterator(content.begin(), content.end(), placement);
         it != std::sregex_iterator(); ++it) {
        xs.push_back(std::stod((*it)[1]));
    }
    ASSERT_EQ(xs.size(), 4u);
    for (size_t i = 0; i < xs.size(); ++i) {
        EXPECT_GT(xs[i], i * 20.0) << i; // six cells of 20 points each
        EXPECT_LT(xs[i], i * 20.0 + 10) << i;
    }

    FormField name = fieldNamed(tree, "name");
    std::vector<std::string> placements;
    for (int q = 0; q <= 2; ++q) {
        name.dictionary.replaceKey("/Q", QPDFObjectHandle::newInteger(q));
        ASSERT_TRUE(writeFieldValue(*pdf, name, "Hi").ok);
        const std::string c = contentOf(name);
        placements.push_back(c.substr(c.find("1 0 0 1 "), 16));
    }
    EXPECT_NE(placements[0], placements[1]);
    EXPECT_NE(placements[1], placements[2]);
}

TEST(ChoiceAppearance, ListHighlightsSelectedRowsAndComboShowsDisplayText) {
    auto pdf = test::makeSampleForm();
    const FieldTree tree = FieldTree::build(*pdf);
    FormField fruits = fieldNamed(tree, "fruits");
    ASSERT_TRUE(writeFieldValue(*pdf, fruits, "a\rCherry").ok);
    const std::string content = contentOf(fruits);
    EXPECT_EQ(countOf(content, " re f"), 2u + 1u); // two highlighted rows and the background
    EXPECT_NE(content.find("0.6 0.7569 0.8549 rg"), std::string::npos);

    FormField size = fieldNamed(tree, "size");
    ASSERT_TRUE(writeFieldValue(*pdf, size, "L").ok);
    EXPECT_NE(contentOf(size).find("<4C> Tj"), std::string::npos);
}

} // namespace
} // namespace paginor::engine::forms
