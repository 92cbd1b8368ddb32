// Fills every form as a database user does (fmcalc, the plug-in, the engine),
// then checks the saved file with tools that share no code with us: qpdf for
// names and values, pdftoppm and mutool for what a reader sees.
#include "e2e_support.h"
#include "page_render.h"
#include "qpdf_report.h"

#include <gtest/gtest.h>

#include <cmath>
#include <iostream>
#include <map>
#include <set>
#include <sstream>

namespace paginor::e2e {
namespace {

namespace fs = std::filesystem;

std::vector<fs::path> formFiles() {
    std::vector<fs::path> files = {examplesFolder() / "sample-form.pdf"};
    for (const fs::path& file : corpusFiles("forms")) {
        files.push_back(file);
    }
    return files;
}

std::size_t codePoints(const std::string& utf8) {
    std::size_t count = 0;
    for (unsigned char c : utf8) {
        count += (c & 0xC0) != 0x80 ? 1 : 0;
    }
    return count;
}

std::string firstCodePoints(const std::string& utf8, std::size_t wanted) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if ((static_cast<unsigned char>(utf8[i]) & 0xC0) != 0x80 && count++ == wanted) {
            return utf8.substr(0, i);
        }
    }
    return utf8;
}

// A value the field accepts. Text values rotate through scripts that most
// forms' own fonts lack, so the engine has to bring fonts of its own.
std::optional<std::string> valueFor(const QpdfField& field, std::size_t index) {
    static const std::string texts[] = {
        "Zo\xC3\xAB \xC3\x9Cnal 42",                                 // Latin with accents
        "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC\xCE\xB4\xCE\xB1",          // Greek
        "\xD0\x9C\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0",          // Cyrillic
        "\xE5\x8C\x97\xE4\xBA\xAC\xE5\xB8\x82",                      // Chinese
        "\xD9\x85\xD8\xB1\xD8\xAD\xD8\xA8\xD8\xA7 \xD8\xA8\xD9\x83", // Arabic
    };
    if (field.readOnly() || field.pushButton() || field.signature()) {
        return std::nullopt;
    }
    if (field.text()) {
        std::string text =
            (field.flags & field_flag::Comb) != 0 ? "1234567890" : texts[index % std::size(texts)];
        if (field.maxLength == 0) {
            return std::nullopt;
        }
        if (field.maxLength > 0 && codePoints(text) > static_cast<std::size_t>(field.maxLength)) {
            text = firstCodePoints(text, static_cast<std::size_t>(field.maxLength));
        }
        return text;
    }
    const std::vector<std::string> states = field.onStates();
    if (field.checkBox) {
        return states.empty() ? std::nullopt : std::optional<std::string>(states.front());
    }
    if (field.radio) {
        return states.empty() ? std::nullopt : std::optional<std::string>(states.back());
    }
    if (field.combo()) {
        if (!field.options.empty()) {
            return field.options.back();
        }
        return (field.flags & field_flag::Edit) != 0 ? std::optional<std::string>("Custom")
                                                     : std::nullopt;
    }
    if (field.list() && !field.options.empty()) {
        if ((field.flags & field_flag::MultiSelect) != 0 && field.options.size() > 1) {
            return field.options.front() + "\r" + field.options.back();
        }
        return field.options.front();
    }
    return std::nullopt;
}

// What qpdf shows as the value of a field after `written` was stored in it.
bool qpdfValueMatches(const QpdfField& field, const std::string& written) {
    if (field.type == "/Btn") {
        return field.value.text().rfind('/', 0) == 0 && nameText(field.value.text()) == written;
    }
    if (field.value.isArray()) {
        std::string joined;
        for (const JsonValue& item : field.value.items()) {
            joined += (joined.empty() ? "" : "\r") + pdfText(item);
        }
        return joined == written;
    }
    return pdfText(field.value) == written;
}

std::set<std::string> splitNames(const std::string& list) {
    std::set<std::string> names;
    std::stringstream lines(list);
    for (std::string name; std::getline(lines, name, '\r');) {
        if (!name.empty()) {
            names.insert(name);
        }
    }
    return names;
}

struct Write {
    const QpdfField* field;
    std::string value;
};

// Whether a write should change how `widget` looks: every visible widget of
// a text or combo field, and the widgets of a button that go from Off to the
// state written.
bool writeShows(const Write& write, const Widget& widget) {
    if (write.field->text() || write.field->combo()) {
        return true;
    }
    if (!write.field->checkBox && !write.field->radio) {
        return false;
    }
    return widget.state == "/Off" && std::find(widget.onStates.begin(), widget.onStates.end(),
                                               write.value) != widget.onStates.end();
}

// Counts the written widgets whose box looks different in `filled` than in
// `empty` when drawn by `renderer`; lists those that do not. Text boxes and
// the buttons written on are checked.
struct RenderCheck {
    int checked = 0;
    int changed = 0;
    std::vector<std::string> unchanged;
};

RenderCheck compareBoxes(Renderer renderer, const QpdfReport& report, const fs::path& empty,
                         const fs::path& filled, const std::vector<Write>& writes) {
    constexpr int dpi = 72;
    RenderCheck check;
    std::map<int, std::vector<std::pair<const Write*, const Widget*>>> byPage;
    for (const Write& write : writes) {
        for (const Widget& widget : write.field->widgets) {
            const bool hidden =
                (widget.annotationFlags & (annotation_flag::Hidden | annotation_flag::NoView)) != 0;
            if (widget.page < 1 || hidden || widget.rect.size() != 4 ||
                !writeShows(write, widget)) {
                continue;
            }
            const double width = std::abs(widget.rect[2] - widget.rect[0]);
            const double height = std::abs(widget.rect[3] - widget.rect[1]);
            if (width >= 6 && height >= 6 && report.page(widget.page).rotate % 360 == 0) {
                byPage[widget.page].push_back({&write, &widget});
            }
        }
    }
    for (const auto& [page, widgets] : byPage) {
        std::string error;
        auto before = renderPage(renderer, empty, page, dpi, &error);
        auto after = renderPage(renderer, filled, page, dpi, &error);
        if (!before || !after) {
            ADD_FAILURE() << "page " << page << ": " << error;
            continue;
        }
        const PageGeometry geometry = report.page(page);
        if (geometry.box.size() != 4) {
            continue;
        }
        const double left = std::min(geometry.box[0], geometry.box[2]);
        const double top = std::max(geometry.box[1], geometry.box[3]);
        const double scale = dpi / 72.0;
        for (const auto& [write, widget] : widgets) {
            // Inset by the border so only the content area counts (less for
            // the small boxes of buttons).
            const double inset = write->field->type == "/Btn" ? 1 : 2;
            const double x1 = std::min(widget->rect[0], widget->rect[2]) + inset;
            const double x2 = std::max(widget->rect[0], widget->rect[2]) - inset;
            const double y1 = std::min(widget->rect[1], widget->rect[3]) + inset;
            const double y2 = std::max(widget->rect[1], widget->rect[3]) - inset;
            ++check.checked;
            const int changed =
                changedPixels(*before, *after, static_cast<int>((x1 - left) * scale),
                              static_cast<int>((top - y2) * scale),
                              static_cast<int>(std::ceil((x2 - left) * scale)),
                              static_cast<int>(std::ceil((top - y1) * scale)));
            if (changed > 0) {
                ++check.changed;
            } else {
                check.unchanged.push_back(write->field->name + " (page " + std::to_string(page) +
                                          ")");
            }
        }
    }
    return check;
}

class FormFill : public ::testing::TestWithParam<fs::path> {};

TEST_P(FormFill, EveryWritableFieldRoundTripsAndShows) {
    const fs::path input = GetParam();
    if (!fs::exists(input)) {
        GTEST_SKIP() << "missing " << input;
    }
    std::string error;
    auto before = QpdfReport::load(input, &error);
    ASSERT_TRUE(before) << error;

    std::vector<Write> writes;
    std::set<std::string> listable;
    for (std::size_t i = 0; i < before->fields().size(); ++i) {
        const QpdfField& field = before->fields()[i];
        // Push buttons and signature fields are listed too (writing one fails).
        listable.insert(field.name);
        if (auto value = valueFor(field, i)) {
            writes.push_back({&field, *value});
        }
    }

    ScratchFolder scratch;
    const fs::path output = scratch.path() / "filled.pdf";
    std::vector<std::string> calcs = {
        withError("QELT_OpenPDF ( " + calcText(input.string()) + " )"),
        "QELT_GetFieldNames",
    };
    for (const Write& write : writes) {
        calcs.push_back(withError("QELT_SetPDFFieldValue ( " + calcText(write.field->name) + " ; " +
                                  calcText(write.value) + " )"));
    }
    calcs.push_back(withError("QELT_SaveAsPDF ( " + calcText(output.string()) + " )"));
    calcs.push_back("QELT_ClosePDF");
    calcs.push_back(withError("QELT_OpenPDF ( " + calcText(output.string()) + " )"));
    for (const Write& write : writes) {
        calcs.push_back(withError("QELT_GetPDFFieldValue ( " + calcText(write.field->name) + " )"));
    }
    calcs.push_back("QELT_ClosePDF");

    const FmcalcRun run = runCalculations(calcs);
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    ASSERT_EQ(run.results.size(), calcs.size()) << run.stderrText;
    ASSERT_EQ(run.value(0), "0");
    EXPECT_EQ(splitNames(run.value(1)), listable) << "names listed by the plug-in";

    std::size_t next = 2;
    int written = 0;
    for (const Write& write : writes) {
        const std::string result = run.value(next++);
        EXPECT_EQ(result, "0") << write.field->name << " = " << write.value;
        written += result == "0" ? 1 : 0;
    }
    ASSERT_EQ(run.value(next++), "0") << "save as";
    ++next; // close
    ASSERT_EQ(run.value(next++), "0") << "reopen";
    int readBack = 0;
    for (const Write& write : writes) {
        const std::string result = run.value(next++);
        EXPECT_EQ(result, write.value) << write.field->name;
        readBack += result == write.value ? 1 : 0;
    }

    auto after = QpdfReport::load(output, &error);
    ASSERT_TRUE(after) << error;
    std::set<std::string> namesBefore;
    std::set<std::string> namesAfter;
    for (const QpdfField& field : before->fields()) {
        namesBefore.insert(field.name);
    }
    for (const QpdfField& field : after->fields()) {
        namesAfter.insert(field.name);
    }
    EXPECT_EQ(namesAfter, namesBefore) << "field names in the saved file";
    int qpdfAgrees = 0;
    for (const Write& write : writes) {
        const QpdfField* saved = after->field(write.field->name);
        const bool agrees = saved && qpdfValueMatches(*saved, write.value);
        EXPECT_TRUE(agrees) << write.field->name << ": qpdf shows "
                            << (saved ? saved->value.text() : "no field") << ", wrote "
                            << write.value;
        qpdfAgrees += agrees ? 1 : 0;
    }
    if (!writes.empty()) {
        // Unless a usage-rights signature covers it, whose XFA part stays and
        // is fed the values.
        EXPECT_EQ(after->hasXfa(), before->hasXfa() && before->hasUsageRights())
            << "a written hybrid form keeps no stale XFA";
        // Tools that read /Fields alone see every field that was filled
        // (signed forms are left as they are).
        if (!before->hasUsageRights()) {
            EXPECT_EQ(after->fieldsOutsideFields(), std::vector<std::string>{})
                << "fields /Fields does not reach after the save";
        }
    }

    std::ostringstream summary;
    summary << "[form] " << input.filename().string() << ": " << before->fields().size()
            << " fields, " << listable.size() << " listed, " << writes.size() << " writable, "
            << written << " written, " << readBack << " read back, " << qpdfAgrees
            << " confirmed by qpdf";
    for (Renderer renderer : {Renderer::Poppler, Renderer::MuPdf}) {
        if (!toolAvailable(rendererTool(renderer))) {
            summary << "; " << rendererTool(renderer) << " not installed";
            continue;
        }
        const RenderCheck check = compareBoxes(renderer, *after, input, output, writes);
        summary << "; " << check.changed << "/" << check.checked << " boxes changed ("
                << rendererTool(renderer) << ")";
        EXPECT_EQ(check.changed, check.checked)
            << rendererTool(renderer)
            << " shows no change in: " << ::testing::PrintToString(check.unchanged);
    }
    std::cout << summary.str() << std::endl;
}

INSTANTIATE_TEST_SUITE_P(Forms, FormFill, ::testing::ValuesIn(formFiles()),
                         [](const ::testing::TestParamInfo<fs::path>& info) {
                             return testNameFor(info.param);
                         });

} // namespace
} // namespace paginor::e2e
