// Document information written in several scripts survives a save and a
// reopen, and the dates come back as dates.
#include "e2e_support.h"
#include "qpdf_report.h"

#include <gtest/gtest.h>

namespace paginor::e2e {
namespace {

namespace fs = std::filesystem;

struct InfoEntry {
    const char* key;
    std::string value;
};

const std::vector<InfoEntry> entries = {
    {"Title",
     "\xCE\x9F\xCE\xB4\xCE\xB7\xCE\xB3\xCF\x8C\xCF\x82 \xCF\x87\xCF\x81\xCE\xAE\xCF\x83\xCF"
     "\x84\xCE\xB7"}, // Greek
    {"Author", "\xD0\x90\xD0\xBD\xD0\xBD\xD0\xB0 \xD0\x9F\xD0\xB5\xD1\x82\xD1\x80\xD0\xBE\xD0\xB2"
               "\xD0\xB0"},                                          // Cyrillic
    {"Subject", "\xE8\xA1\xA8\xE6\xA0\xBC\xE5\xA1\xAB\xE5\x86\x99"}, // Chinese
    {"Keywords", "\xD9\x86\xD9\x85\xD9\x88\xD8\xB0\xD8\xAC, PDF"},   // Arabic
    {"Creator", "Caf\xC3\xA9 \xE2\x80\x93 na\xC3\xAFve"},            // Latin, en dash
    {"Producer", "\xF0\x9F\x93\x84 emoji outside the BMP"},
    {"Trapped", "True"},
};

TEST(DocumentInformation, NonLatinValuesSurviveSaveAndReopen) {
    ScratchFolder scratch;
    const fs::path saved = scratch.path() / "info.pdf";
    std::vector<std::string> calcs = {
        withError("QELT_OpenPDF ( " + calcText((examplesFolder() / "text.pdf").string()) + " )")};
    for (const InfoEntry& entry : entries) {
        calcs.push_back(withError("QELT_SetPDFInfo ( " + calcText(entry.key) + " ; " +
                                  calcText(entry.value) + " )"));
    }
    calcs.push_back(withError("QELT_SaveAsPDF ( " + calcText(saved.string()) + " )"));
    calcs.push_back("QELT_ClosePDF");
    calcs.push_back(withError("QELT_OpenPDF ( " + calcText(saved.string()) + " )"));
    for (const InfoEntry& entry : entries) {
        calcs.push_back(withError("QELT_GetPDFInfo ( " + calcText(entry.key) + " )"));
    }
    calcs.push_back("QELT_GetPDFInfo ( \"CreationDate\" )");
    calcs.push_back("QELT_GetPDFInfo ( \"ModDate\" )");
    calcs.push_back(withError("QELT_SetPDFInfo ( \"ModDate\" ; \"D:20200101\" )"));
    calcs.push_back(withError("QELT_SetPDFInfo ( \"Trapped\" ; \"Perhaps\" )"));
    calcs.push_back(withError("QELT_GetPDFInfo ( \"Trapped\" )"));
    calcs.push_back("QELT_ClosePDF");

    const FmcalcRun run = runCalculations(calcs);
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    ASSERT_EQ(run.results.size(), calcs.size()) << run.stderrText;
    std::size_t next = 0;
    ASSERT_EQ(run.value(next++), "0");
    for (const InfoEntry& entry : entries) {
        EXPECT_EQ(run.value(next++), "0") << entry.key;
    }
    ASSERT_EQ(run.value(next++), "0") << "save as";
    ++next;
    ASSERT_EQ(run.value(next++), "0") << "reopen";
    for (const InfoEntry& entry : entries) {
        EXPECT_EQ(run.value(next++), entry.value) << entry.key;
    }
    for (const char* dateKey : {"CreationDate", "ModDate"}) {
        const CalcResult& date = run.results[next++];
        EXPECT_EQ(date.type, "date") << dateKey << " = " << date.value;
        EXPECT_GE(date.value.substr(0, 4), "2024") << dateKey << " is the time of the save";
    }
    EXPECT_EQ(run.value(next++).rfind("!!ERROR!! -2001 ", 0), 0u) << "dates are not writable";
    EXPECT_EQ(run.value(next++).rfind("!!ERROR!!", 0), 0u) << "Trapped takes True, False, Unknown";
    EXPECT_EQ(run.value(next++), "True") << "a refused Trapped changes nothing";

    // qpdf reads the same text from the saved Info dictionary.
    std::string error;
    auto report = QpdfReport::load(saved, &error);
    ASSERT_TRUE(report) << error;
    const JsonValue& info = report->resolve(report->object("trailer")["/Info"]);
    for (const InfoEntry& entry : entries) {
        const JsonValue& stored = report->resolve(info["/" + std::string(entry.key)]);
        const std::string expected =
            std::string(entry.key) == "Trapped" ? "/" + entry.value : entry.value;
        EXPECT_EQ(pdfText(stored), expected) << entry.key;
    }
}

} // namespace
} // namespace paginor::e2e
