// Mixed-direction values as poppler and MuPDF draw them: each renderer's own
// text output gives the drawn characters with their positions, read here from
// left to right, line by line, and compared with the line as a reader sees it
// (written out by hand from the bidirectional algorithm's rules).
#include "engine/forms/field_tree.h"
#include "engine/forms/field_value_writer.h"
#include "forms_test_support.h"
#include "support/process_runner.h"
#include "support/scratch_folder.h"
#include "text_encoding/utf_conversion.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <regex>

namespace paginor::engine::forms {
namespace {

namespace fs = std::filesystem;

// What `program` prints, or nothing when it fails.
std::optional<std::string> toolOutput(const std::string& program,
                                      const std::vector<std::string>& args) {
    const test_support::ProcessResult result = test_support::runProcess(program, args);
    if (result.exitCode != 0) {
        return std::nullopt;
    }
    return result.out;
}

// XML text with its character references and the five named entities.
std::u32string xmlText(const std::string& text) {
    std::u32string out;
    const std::u32string in = Utf8ToUtf32(text);
    for (size_t i = 0; i < in.size(); ++i) {
        if (in[i] != U'&') {
            out += in[i];
            continue;
        }
        const size_t end = in.find(U';', i);
        const std::string name = Utf32ToUtf8(in.substr(i + 1, end - i - 1));
        static const std::map<std::string, char32_t> named = {
            {"amp", U'&'}, {"lt", U'<'}, {"gt", U'>'}, {"quot", U'"'}, {"apos", U'\''}};
        if (name.starts_with("#x")) {
            out += static_cast<char32_t>(std::stoul(name.substr(2), nullptr, 16));
        } else if (name.starts_with("#")) {
            out += static_cast<char32_t>(std::stoul(name.substr(1)));
        } else {
            out += named.at(name);
        }
        i = end;
    }
    return out;
}

// Pieces of text at a position (y, of the middle or the baseline, grows
// downwards from the page's top);
// lines are pieces whose y are within 3 points, read left to right, spaces
// left out (the renderers differ on them).
struct Piece {
    double x, y;
    std::u32string text;
};

// The part of the page a widget covers, in the renderers' coordinates.
struct Band {
    double top, bottom;
};

std::vector<std::u32string> linesOf(std::vector<Piece> pieces, Band band) {
    std::erase_if(pieces, [&](const Piece& p) { return p.y < band.top || p.y > band.bottom; });
    std::sort(pieces.begin(), pieces.end(),
              [](const Piece& a, const Piece& b) { return a.y < b.y; });
    std::vector<std::vector<Piece>> lines;
    for (const Piece& piece : pieces) {
        if (lines.empty() || piece.y - lines.back().front().y > 3) {
            lines.emplace_back();
        }
        lines.back().push_back(piece);
    }
    std::vector<std::u32string> texts;
    for (auto& line : lines) {
        std::stable_sort(line.begin(), line.end(),
                         [](const Piece& a, const Piece& b) { return a.x < b.x; });
        std::u32string text;
        for (const Piece& piece : line) {
            for (char32_t c : piece.text) {
                if (c != U' ') {
                    text += c;
                }
            }
        }
        texts.push_back(text);
    }
    return texts;
}

// poppler: pdftotext's word boxes; a word holds its characters as drawn.
std::optional<std::vector<std::u32string>> popplerLines(const fs::path& pdf, Band band) {
    auto xml = toolOutput("pdftotext", {"-q", "-bbox", pdf.string(), "-"});
    if (!xml) {
        return std::nullopt;
    }
    const std::regex word(
        R"re(<word xMin="([0-9.]+)" yMin="([0-9.]+)" xMax="[0-9.]+" yMax="([0-9.]+)">([^<]*)</word>)re");
    std::vector<Piece> pieces;
    for (auto it = std::sregex_iterator(xml->begin(), xml->end(), word);
         it != std::sregex_iterator(); ++it) {
        const double middle = (std::stod((*it)[2]) + std::stod((*it)[3])) / 2;
        pieces.push_back({std::stod((*it)[1]), middle, xmlText((*it)[4])});
    }
    return linesOf(pieces, band);
}

// MuPDF: mutool's structured text, one entry per drawn character.
std::optional<std::vector<std::u32string>> mupdfLines(const fs::path& pdf, Band band) {
    auto xml = toolOutput("mutool", {"draw", "-q", "-F", "stext", "-o", "-", pdf.string(), "1"});
    if (!xml) {
        return std::nullopt;
    }
    const std::regex character(
        R"re(<char quad="[^"]*" x="([0-9.-]+)" y="([0-9.-]+)"[^>]* c="([^"]*)"/>)re");
    std::vector<Piece> pieces;
    for (auto it = std::sregex_iterator(xml->begin(), xml->end(), character);
         it != std::sregex_iterator(); ++it) {
        pieces.push_back({std::stod((*it)[1]), std::stod((*it)[2]), xmlText((*it)[3])});
    }
    return linesOf(pieces, band);
}

struct DrawnCase {
    const char* name;
    const char* field;
    std::u32string value;
    std::vector<std::u32string> seen; // left to right, spaces left out
};

void PrintTo(const DrawnCase& c, std::ostream* os) {
    *os << c.name;
}

class MixedDirectionValues : public ::testing::TestWithParam<DrawnCase> {};

TEST_P(MixedDirectionValues, BothRenderersDrawThemInReadingOrder) {
    const DrawnCase& c = GetParam();
    auto pdf = test::makeSampleForm();
    const FieldTree tree = FieldTree::build(*pdf);
    FormField field = test::fieldNamed(tree, c.field);
    const WriteResult result = writeFieldValue(*pdf, field, Utf32ToUtf8(c.value));
    ASSERT_TRUE(result.ok) << result.description;

    // Only the field under test is drawn (poppler would draw the list box's
    // options).
    QPDFObjectHandle page = pdf->getAllPages().at(0);
    page.replaceKey("/Annots", QPDFObjectHandle::newArray({field.widgets.at(0)}));

    const test_support::ScratchFolder scratch("paginor-bidi");
    const fs::path file = scratch / "filled.pdf";
    test_support::writeFile(file, test::saveToBytes(*pdf));
    // The sample page is 400 points high.
    QPDFObjectHandle rect = field.widgets.at(0).getKey("/Rect");
    const Band band{400 - rect.getArrayItem(3).getNumericValue(),
                    400 - rect.getArrayItem(1).getNumericValue()};
    const auto poppler = popplerLines(file, band);
    const auto mupdf = mupdfLines(file, band);

    ASSERT_TRUE(poppler) << "pdftotext failed";
    ASSERT_TRUE(mupdf) << "mutool failed";
    EXPECT_EQ(*poppler, c.seen) << "poppler: "
                                << Utf32ToUtf8(poppler->empty() ? U"" : poppler->front());
    EXPECT_EQ(*mupdf, c.seen) << "MuPDF: " << Utf32ToUtf8(mupdf->empty() ? U"" : mupdf->front());
}

INSTANTIATE_TEST_SUITE_P(
    Values, MixedDirectionValues,
    ::testing::Values(
        // "שלום (עולם) 123": read from the right; the number keeps its order.
        DrawnCase{"hebrew_brackets_and_number",
                  "group.inner",
                  U"\u05E9\u05DC\u05D5\u05DD (\u05E2\u05D5\u05DC\u05DD) 123",
                  {U"123(\u05DD\u05DC\u05D5\u05E2)\u05DD\u05D5\u05DC\u05E9"}},
        DrawnCase{"hebrew_guillemets_then_latin",
                  "group.inner",
                  U"\u00AB\u05E9\u05DC\u05D5\u05DD\u00BB abc",
                  {U"abc\u00AB\u05DD\u05D5\u05DC\u05E9\u00BB"}},
        // "مرحبا 2024 world": digits and the Latin word left to right.
        DrawnCase{"arabic_digits_and_latin",
                  "group.inner",
                  U"\u0645\u0631\u062D\u0628\u0627 2024 world",
                  {U"world2024\u0627\u0628\u062D\u0631\u0645"}},
        // Two paragraphs, one of each direction, each line drawn on its own.
        DrawnCase{"multiline_paragraphs_of_both_directions",
                  "notes",
                  U"\u05E9\u05D5\u05E8\u05D4 (\u05E8\u05D0\u05E9\u05D5\u05E0\u05D4)\rsecond (line) "
                  U"\u05E9\u05DC\u05D5\u05DD",
                  {U"(\u05D4\u05E0\u05D5\u05E9\u05D0\u05E8)\u05D4\u05E8\u05D5\u05E9",
                   U"second(line)\u05DD\u05D5\u05DC\u05E9"}},
        // A comb field fills its cells in drawing order.
        DrawnCase{"comb_cells", "code", U"\u05D0\u05D1\u05D2 12", {U"12\u05D2\u05D1\u05D0"}}),
    [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace paginor::engine::forms
