// The README's sample job: fill the bundled form once per CSV row from a
// fresh copy of examples/, the way a new user runs it.
#include "e2e_support.h"
#include "page_render.h"

#include <gtest/gtest.h>

#include <sstream>

namespace paginor::e2e {
namespace {

namespace fs = std::filesystem;

// RFC 4180 rows: quoted fields may hold commas, quotes and line breaks.
std::vector<std::vector<std::string>> parseCsv(const std::string& text) {
    std::vector<std::vector<std::string>> rows(1);
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (quoted) {
            if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
                field += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                field += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            rows.back().push_back(field);
            field.clear();
        } else if (c == '\n' || c == '\r') {
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
                ++i;
            }
            rows.back().push_back(field);
            field.clear();
            rows.emplace_back();
        } else {
            field += c;
        }
    }
    if (!field.empty() || !rows.back().empty()) {
        rows.back().push_back(field);
    } else {
        rows.pop_back();
    }
    return rows;
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
        text.replace(at, from.size(), to);
    }
    return text;
}

TEST(SampleJob, FillsOneFormPerRowAndReadsTheValuesBack) {
    ScratchFolder work;
    fs::copy(examplesFolder(), work.path() / "examples", fs::copy_options::recursive);
    fs::create_directory(work.path() / "out");
    const auto rows = parseCsv(readFile(work.path() / "examples" / "people.csv"));
    ASSERT_GT(rows.size(), 1u);
    const std::vector<std::string>& header = rows.front();
    auto column = [&](const std::vector<std::string>& row, const std::string& name) {
        for (std::size_t i = 0; i < header.size() && i < row.size(); ++i) {
            if (header[i] == name) {
                return row[i];
            }
        }
        return std::string();
    };

    const FmcalcRun run =
        runFmcalc({"--json", "--csv", "examples/people.csv", "examples/fill.calc"}, work.path());
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    std::vector<std::string> lines;
    for (const CalcResult& result : run.results) {
        lines.push_back(result.error.empty() ? result.value : "<error " + result.error + ">");
    }
    const std::size_t perRow = 7;
    ASSERT_EQ(lines.size(), (rows.size() - 1) * perRow) << run.stdoutText << run.stderrText;

    for (std::size_t row = 1; row < rows.size(); ++row) {
        const std::vector<std::string>& values = rows[row];
        const std::string* out = &lines[(row - 1) * perRow];
        const std::string file = "out/filled-" + std::to_string(row) + ".pdf";
        SCOPED_TRACE("row " + std::to_string(row) + " " + column(values, "Name"));
        EXPECT_EQ(out[1], "  open: 0");
        EXPECT_EQ(out[2], "  writes: 0 0 0 0 0 0 0");
        EXPECT_EQ(out[3], "  save: 0, close: 0");
        EXPECT_EQ(out[4], "  reopen: 0");
        const std::string colours = replaceAll(column(values, "Colours"), "\n", "+");
        EXPECT_EQ(out[5], "  read back: name=" + column(values, "Name") + "; subscribe=" +
                              column(values, "Subscribe") + "; plan=" + column(values, "Plan") +
                              "; country=" + column(values, "Country") + "; colours=" + colours);
        EXPECT_EQ(out[6],
                  "  title: Membership application: " + column(values, "Name") + ", close: 0");
        const ProcessResult check = runProcess("qpdf", {"--check", (work.path() / file).string()});
        EXPECT_EQ(check.exitCode, 0) << file << ": " << check.out << check.err;
    }
}

// Row 1 ticks the newsletter box and picks the premium plan. Both draw with
// the form's own ZapfDingbats appearances, which poppler can only show when a
// Dingbats font is installed: this caught a set-up that lacked one.
TEST(SampleJob, TickedBoxAndChosenButtonShowInBothRenderers) {
    ScratchFolder work;
    fs::copy(examplesFolder(), work.path() / "examples", fs::copy_options::recursive);
    fs::create_directory(work.path() / "out");
    const FmcalcRun run =
        runFmcalc({"--csv", "examples/people.csv", "examples/fill.calc"}, work.path());
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;

    constexpr int dpi = 72; // one pixel a point; the page is 842 points high
    struct Box {
        const char* what;
        int x1, y1, x2, y2; // widget /Rect in PDF space
    };
    const Box boxes[] = {{"newsletter check box", 160, 562, 174, 576},
                         {"premium radio button", 324, 522, 338, 536}};
    for (Renderer renderer : {Renderer::Poppler, Renderer::MuPdf}) {
        std::string error;
        const auto empty =
            renderPage(renderer, work.path() / "examples" / "sample-form.pdf", 1, dpi, &error);
        const auto filled =
            renderPage(renderer, work.path() / "out" / "filled-1.pdf", 1, dpi, &error);
        ASSERT_TRUE(empty && filled) << rendererTool(renderer) << ": " << error;
        for (const Box& box : boxes) {
            // Inset by two points so the unchanged border does not count.
            EXPECT_GT(changedPixels(*empty, *filled, box.x1 + 2, 842 - box.y2 + 2, box.x2 - 2,
                                    842 - box.y1 - 2),
                      4)
                << box.what << " does not show in " << rendererTool(renderer);
        }
    }
}

} // namespace
} // namespace paginor::e2e
