// Values a field cannot take are refused with a reason the user can act on,
// and the field keeps what it had.
#include "e2e_support.h"

#include <gtest/gtest.h>

namespace paginor::e2e {
namespace {

namespace fs = std::filesystem;

struct Refusal {
    const char* label;
    bool fromCorpus; // else a bundled sample
    const char* file;
    const char* field;
    std::string value;
    std::vector<std::string> reasonMentions; // each must appear in the description
};

const Refusal refusals[] = {
    {"TextLongerThanMaxLen",
     true,
     "forms/form-filled-accented-values.pdf",
     "firstName",
     std::string(41, 'x'),
     {"40"}},
    {"CheckBoxOtherThanItsOnState", false, "sample-form.pdf", "subscribe", "Maybe", {"Yes", "Off"}},
    {"RadioStateNoButtonHas", false, "sample-form.pdf", "plan", "platinum", {"basic", "premium"}},
    {"ComboOptionNotOffered",
     false,
     "sample-form.pdf",
     "country",
     "Atlantis",
     {"France", "Norway"}},
    {"ListOptionNotOffered", false, "sample-form.pdf", "colours", "Purple", {"Red", "Yellow"}},
    {"CorpusCheckBoxOtherThanItsOnState",
     true,
     "forms/form-filled-accented-values.pdf",
     "javaScript",
     "Maybe",
     {"Yes"}},
    {"CorpusListOptionNotOffered",
     true,
     "forms/form-filled-accented-values.pdf",
     "databases",
     "mongo",
     {"oracle", "sqlServer"}},
};

void PrintTo(const Refusal& refusal, std::ostream* out) {
    *out << refusal.label;
}

class FieldRefusal : public ::testing::TestWithParam<Refusal> {};

TEST_P(FieldRefusal, FailsWithTheReasonAndChangesNothing) {
    const Refusal& refusal = GetParam();
    fs::path file = examplesFolder() / refusal.file;
    if (refusal.fromCorpus) {
        auto corpus = corpusFolder();
        if (!corpus) {
            GTEST_SKIP() << "no corpus";
        }
        file = *corpus / refusal.file;
    }
    const std::string field = calcText(refusal.field);
    ScratchFolder scratch;
    const fs::path saved = scratch.path() / "after-refusal.pdf";
    const FmcalcRun run = runCalculations({
        withError("QELT_OpenPDF ( " + calcText(file.string()) + " )"),
        withError("QELT_GetPDFFieldValue ( " + field + " )"),
        withError("QELT_SetPDFFieldValue ( " + field + " ; " + calcText(refusal.value) + " )"),
        withError("QELT_GetPDFFieldValue ( " + field + " )"),
        withError("QELT_SaveAsPDF ( " + calcText(saved.string()) + " )"),
        "QELT_ClosePDF",
        withError("QELT_OpenPDF ( " + calcText(saved.string()) + " )"),
        withError("QELT_GetPDFFieldValue ( " + field + " )"),
        "QELT_ClosePDF",
    });
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    ASSERT_EQ(run.value(0), "0");
    const std::string before = run.value(1);
    const std::string refused = run.value(2);
    EXPECT_EQ(refused.rfind("!!ERROR!! -999 COM Exception", 0), 0u) << refused;
    for (const std::string& mention : refusal.reasonMentions) {
        EXPECT_NE(refused.find(mention), std::string::npos)
            << "the description should name " << mention << ": " << refused;
    }
    EXPECT_EQ(run.value(3), before) << "value in memory after the refusal";
    ASSERT_EQ(run.value(4), "0");
    EXPECT_EQ(run.value(7), before) << "value in the saved file";
}

INSTANTIATE_TEST_SUITE_P(Values, FieldRefusal, ::testing::ValuesIn(refusals),
                         [](const ::testing::TestParamInfo<Refusal>& info) {
                             return std::string(info.param.label);
                         });

} // namespace
} // namespace paginor::e2e
