// Broken and hostile files: the engine gives a result or a clear error for
// each, within 10 seconds, and never crashes. Every file goes through the
// fuzzers' workout (open, fields, page text, self-insertion, save) in a child
// process, so a crash or a hang fails the case instead of the test program.
#include "broken_pdf_builder.h"
#include "child_process.h"
#include "engine_client.h"
#include "engine_workout.h"
#include "reliability_paths.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

using namespace reliability;

constexpr unsigned kTimeLimitSeconds = 10;

void ExpectWorkoutSurvives(const fs::path& file, const ScratchFolder& scratch) {
    const std::string saved = (scratch / "saved.pdf").string();
    const ChildOutcome outcome = RunInChild(
        [&] {
            paginor::reliability::RunEngineWorkout(file.string(), saved);
            return 0;
        },
        kTimeLimitSeconds);
    EXPECT_TRUE(outcome.Clean()) << file.filename() << ": " << outcome.Describe();
}

// The workout does real work on an intact form, so the cases below test
// something.
TEST(MalformedInput, TheWorkoutExercisesAnIntactForm) {
    ScratchFolder scratch;
    const auto report = paginor::reliability::RunEngineWorkout(
        examplePath("sample-form.pdf").string(), (scratch / "saved.pdf").string());
    EXPECT_TRUE(report.opened);
    EXPECT_GT(report.fields, 0);
    EXPECT_TRUE(report.wroteField);
    EXPECT_GT(report.textItems, 0);
    EXPECT_TRUE(report.inserted);
    EXPECT_TRUE(report.saved) << report.saveFailure;
    EXPECT_TRUE(fs::exists(scratch / "saved.pdf"));
}

TEST(MalformedInput, EveryCorpusFileGivesAResultOrAnError) {
    const auto corpus = corpusFolder();
    if (!corpus || !fs::is_directory(*corpus / "malformed"))
        GTEST_SKIP() << "no corpus of malformed files";
    ScratchFolder scratch;
    for (const auto& entry : fs::directory_iterator(*corpus / "malformed")) {
        if (entry.is_regular_file())
            ExpectWorkoutSurvives(entry.path(), scratch);
    }
}

TEST(MalformedInput, TruncatedAtTenPoints) {
    const std::string whole = readFile(examplePath("sample-form.pdf"));
    ASSERT_FALSE(whole.empty());
    ScratchFolder scratch;
    for (int point = 1; point <= 10; ++point) {
        const fs::path file = scratch / ("cut" + std::to_string(point) + ".pdf");
        writeFile(file, whole.substr(0, whole.size() * point / 11));
        ExpectWorkoutSurvives(file, scratch);
    }
}

std::string WithStartXref(const std::string& pdf, const std::string& offset) {
    return std::regex_replace(pdf, std::regex("startxref\\s+\\d+"), "startxref\n" + offset);
}

std::string DeeplyNestedArray(int depth) {
    return std::string(depth, '[') + std::string(depth, ']');
}

std::string CyclicPageTree() {
    PdfBuilder pdf;
    const int catalog = pdf.Add("<< /Type /Catalog /Pages 2 0 R >>");
    pdf.Add("<< /Type /Pages /Kids [3 0 R 2 0 R 4 0 R] /Count 3 >>");
    pdf.Add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>");
    pdf.Add("<< /Type /Pages /Parent 2 0 R /Kids [4 0 R 2 0 R] /Count 2 >>");
    return pdf.Build(catalog);
}

std::string CyclicFieldTree() {
    PdfBuilder pdf;
    const int catalog =
        pdf.Add("<< /Type /Catalog /Pages 2 0 R /AcroForm << /Fields [4 0 R] /DA (/Helv 0 Tf 0 g) "
                ">> >>");
    pdf.Add("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    pdf.Add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Annots [6 0 R] >>");
    pdf.Add("<< /T (outer) /Kids [5 0 R] >>");
    pdf.Add("<< /T (inner) /Parent 4 0 R /Kids [4 0 R 6 0 R] >>");
    pdf.Add("<< /Type /Annot /Subtype /Widget /FT /Tx /T (leaf) /Parent 5 0 R /Rect [10 10 100 "
            "30] /P 3 0 R >>");
    return pdf.Build(catalog);
}

// The children of item "one" run one -> two -> one ... along /Next.
std::string CyclicOutlines() {
    PdfBuilder pdf;
    const int catalog = pdf.Add("<< /Type /Catalog /Pages 2 0 R /Outlines 4 0 R >>");
    pdf.Add("<< /Type /Pages /Kids [3 0 R 7 0 R] /Count 2 >>");
    pdf.Add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>");
    pdf.Add("<< /Type /Outlines /First 5 0 R /Last 6 0 R /Count 2 >>");
    pdf.Add("<< /Title (one) /Parent 4 0 R /Next 6 0 R /First 5 0 R /Dest [3 0 R /Fit] >>");
    pdf.Add("<< /Title (two) /Parent 4 0 R /Prev 5 0 R /Next 5 0 R /Dest [3 0 R /Fit] >>");
    pdf.Add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>");
    return pdf.Build(catalog);
}

// An object stream that claims a billion objects, and page contents that
// inflate to 64 MB, both from a few kilobytes of file.
std::string ObjectStreamBomb() {
    const std::string zeros(64 << 20, ' ');
    const std::string inflated = Deflate(zeros);
    PdfBuilder pdf;
    const int catalog = pdf.Add("<< /Type /Catalog /Pages 2 0 R /Extra 5 0 R >>");
    pdf.Add("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    pdf.Add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] /Contents 4 0 R >>");
    pdf.AddStream("<< /Filter /FlateDecode >>", inflated);
    pdf.AddStream("<< /Type /ObjStm /N 1000000000 /First 20 /Filter /FlateDecode >>", inflated);
    return pdf.Build(catalog);
}

struct GeneratedCase {
    std::string name;
    std::string (*make)();
};
void PrintTo(const GeneratedCase& c, std::ostream* out) {
    *out << c.name;
}

const std::vector<GeneratedCase> kGenerated = {
    {"XrefPointingPastTheEnd",
     [] { return WithStartXref(readFile(examplePath("sample-form.pdf")), "99999999"); }},
    {"XrefPointingIntoAnObject",
     [] { return WithStartXref(readFile(examplePath("sample-form.pdf")), "20"); }},
    {"XrefPointingBeforeTheFile",
     [] { return WithStartXref(readFile(examplePath("sample-form.pdf")), "-5"); }},
    {"CyclicPageTree", CyclicPageTree},
    {"CyclicFieldTree", CyclicFieldTree},
    {"CyclicOutlines", CyclicOutlines},
    {"HundredThousandLevelNestedArray",
     [] { return OnePageDocument("/Deep " + DeeplyNestedArray(100000)); }},
    {"NestedArrayInThePage",
     [] { return OnePageDocument("", "/Deep " + DeeplyNestedArray(100000)); }},
    {"ObjectStreamBomb", ObjectStreamBomb},
};

class GeneratedBrokenFile : public ::testing::TestWithParam<GeneratedCase> {};

TEST_P(GeneratedBrokenFile, GivesAResultOrAnError) {
    ScratchFolder scratch;
    const fs::path file = scratch / "broken.pdf";
    writeFile(file, GetParam().make());
    ExpectWorkoutSurvives(file, scratch);
}

// Deleting a page prunes the outline, which walks it too.
TEST(MalformedInput, DeletingAPageUnderCyclicOutlines) {
    ScratchFolder scratch;
    const fs::path file = scratch / "outlines.pdf";
    writeFile(file, CyclicOutlines());
    const ChildOutcome outcome = RunInChild(
        [&] {
            auto document = OpenWithEngine(file.string());
            if (!document)
                return 0;
            VARIANT_BOOL deleted = VARIANT_FALSE;
            document->DeletePages(0, 0, &deleted);
            return 0;
        },
        kTimeLimitSeconds);
    EXPECT_TRUE(outcome.Clean()) << outcome.Describe();
}

INSTANTIATE_TEST_SUITE_P(Generated, GeneratedBrokenFile, ::testing::ValuesIn(kGenerated),
                         [](const auto& info) { return info.param.name; });

} // namespace
