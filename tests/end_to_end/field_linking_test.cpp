// Widgets on the pages that /AcroForm /Fields does not reach: the plug-in
// lists and fills them, and a save after a field write links them into the
// field tree, so that qpdf finds every one of them through /Fields (and
// tools that read /Fields alone see the same fields). Signed documents and
// saves without a field write leave the tree as it was.
#include "e2e_support.h"
#include "qpdf_report.h"

#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <gtest/gtest.h>

#include <sstream>

namespace paginor::e2e {
namespace {

namespace fs = std::filesystem;

// One page holding, in this order: "listed" (in /Fields); "orphan" (a field
// nothing links); "group.kid" (group is in /Fields, its /Kids lack the kid);
// "lost.inner" (neither lost nor inner is linked); and a second "listed"
// that nothing links, whose name is taken.
void writeForm(const fs::path& file, const std::string& extraRoot) {
    QPDF pdf;
    pdf.emptyPDF();
    QPDFObjectHandle page = pdf.makeIndirectObject(
        QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 300 300] /Resources << >> >>"));
    QPDFPageDocumentHelper(pdf).addPage(QPDFPageObjectHelper(page), false);
    auto widget = [&](const std::string& entries, int y) {
        QPDFObjectHandle object = pdf.makeIndirectObject(QPDFObjectHandle::parse(
            "<< /Type /Annot /Subtype /Widget /F 4 /FT /Tx " + entries + " /Rect [10 " +
            std::to_string(y) + " 150 " + std::to_string(y + 20) + "] >>"));
        object.replaceKey("/P", page);
        return object;
    };
    QPDFObjectHandle listed = widget("/T (listed)", 250);
    QPDFObjectHandle orphan = widget("/T (orphan)", 210);
    QPDFObjectHandle group =
        pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /FT /Tx /T (group) /Kids [] >>"));
    QPDFObjectHandle kid = widget("/T (kid)", 170);
    kid.replaceKey("/Parent", group);
    QPDFObjectHandle lost =
        pdf.makeIndirectObject(QPDFObjectHandle::parse("<< /FT /Tx /T (lost) /Kids [] >>"));
    QPDFObjectHandle inner = widget("/T (inner)", 130);
    inner.replaceKey("/Parent", lost);
    lost.getKey("/Kids").appendItem(inner);
    QPDFObjectHandle twin = widget("/T (listed)", 90);
    page.replaceKey("/Annots", QPDFObjectHandle::newArray({listed, orphan, kid, inner, twin}));
    QPDFObjectHandle acroForm = pdf.makeIndirectObject(QPDFObjectHandle::parse(
        "<< /DA (/Helv 0 Tf 0 g) /DR << /Font << /Helv << /Type /Font /Subtype /Type1 "
        "/BaseFont /Helvetica /Encoding /WinAnsiEncoding >> >> >> >>"));
    acroForm.replaceKey("/Fields", QPDFObjectHandle::newArray({listed, group}));
    pdf.getRoot().replaceKey("/AcroForm", acroForm);
    QPDFObjectHandle extra = QPDFObjectHandle::parse("<< " + extraRoot + " >>");
    for (const std::string& key : extra.getKeys()) {
        pdf.getRoot().replaceKey(key, extra.getKey(key));
    }
    const std::string path = file.string(); // the writer keeps the pointer
    QPDFWriter writer(pdf, path.c_str());
    writer.write();
}

std::vector<std::string> listedNames(const std::string& listing) {
    std::vector<std::string> names;
    std::stringstream lines(listing);
    for (std::string name; std::getline(lines, name, '\r');) {
        names.push_back(name);
    }
    return names;
}

struct LinkCase {
    const char* name;
    std::string extraRoot;
    bool writeAField;
    std::vector<std::string> outsideAfter; // fields /Fields does not reach in the saved file
    std::vector<std::string> listedAfter;  // the plug-in's listing of the saved file
};

void PrintTo(const LinkCase& c, std::ostream* out) {
    *out << c.name;
}

class UnreachableWidgets : public ::testing::TestWithParam<LinkCase> {};

TEST_P(UnreachableWidgets, AreLinkedOnASaveAfterAFieldWrite) {
    const LinkCase& c = GetParam();
    ScratchFolder scratch;
    const fs::path form = scratch.path() / "form.pdf";
    const fs::path saved = scratch.path() / "saved.pdf";
    writeForm(form, c.extraRoot);
    std::string error;
    auto before = QpdfReport::load(form, &error);
    ASSERT_TRUE(before) << error;
    // qpdf files the unlinked twin under "listed" too.
    const std::vector<std::string> outsideBefore = {"listed", "orphan", "group.kid", "lost.inner"};
    ASSERT_EQ(before->fieldsOutsideFields(), outsideBefore);

    std::vector<std::string> calcs = {
        withError("QELT_OpenPDF ( " + calcText(form.string()) + " )"),
        withError("QELT_GetFieldNames"),
    };
    if (c.writeAField) {
        calcs.push_back(withError("QELT_SetPDFFieldValue ( \"lost.inner\" ; \"found\" )"));
    }
    calcs.push_back(withError("QELT_SaveAsPDF ( " + calcText(saved.string()) + " )"));
    calcs.push_back("QELT_ClosePDF");
    calcs.push_back(withError("QELT_OpenPDF ( " + calcText(saved.string()) + " )"));
    calcs.push_back(withError("QELT_GetFieldNames"));
    calcs.push_back(withError("QELT_GetPDFFieldValue ( \"lost.inner\" )"));
    calcs.push_back("QELT_ClosePDF");
    const FmcalcRun run = runCalculations(calcs);
    ASSERT_EQ(run.exitCode, 0) << run.stderrText;
    const std::vector<std::string> listedBefore = {"listed", "group.kid", "orphan", "lost.inner"};
    EXPECT_EQ(listedNames(run.value(1)), listedBefore);
    const std::size_t reopened = c.writeAField ? 5 : 4;
    ASSERT_EQ(run.value(reopened), "0");
    EXPECT_EQ(listedNames(run.value(reopened + 1)), c.listedAfter);
    EXPECT_EQ(run.value(reopened + 2), c.writeAField ? "found" : "");

    auto after = QpdfReport::load(saved, &error);
    ASSERT_TRUE(after) << error;
    EXPECT_EQ(after->fieldsOutsideFields(), c.outsideAfter);
    const ProcessResult json =
        runProcess("qpdf", {"--json", "--json-key=acroform", saved.string()});
    EXPECT_EQ(json.err.find("not reachable") == std::string::npos, c.outsideAfter.empty())
        << json.err;
}

INSTANTIATE_TEST_SUITE_P(Cases, UnreachableWidgets,
                         ::testing::Values(
                             // The second "listed" is renamed as an inserted field would be.
                             LinkCase{"AfterAWrite",
                                      "",
                                      true,
                                      {},
                                      {"listed", "group.kid", "orphan", "lost.inner", "listed+1"}},
                             LinkCase{"NotWithoutAWrite",
                                      "",
                                      false,
                                      {"listed", "orphan", "group.kid", "lost.inner"},
                                      {"listed", "group.kid", "orphan", "lost.inner"}},
                             // Usage rights or a signature vouch for the form as it is.
                             LinkCase{"NotInADocumentWithUsageRights",
                                      "/Perms << /UR3 << /Type /Sig >> >>",
                                      true,
                                      {"listed", "orphan", "group.kid", "lost.inner"},
                                      {"listed", "group.kid", "orphan", "lost.inner"}}),
                         [](const auto& info) { return std::string(info.param.name); });

} // namespace
} // namespace paginor::e2e
