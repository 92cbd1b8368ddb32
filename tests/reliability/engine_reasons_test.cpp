// What the engine knows about a failure reaches the user: through the real
// host program, each failure gives its code and message and, as the detail,
// the engine's reason. And libxml2 never writes to the host's standard error.
#include "broken_pdf_builder.h"

#include "support/fmcalc_runner.h"
#include "support/process_runner.h"
#include "support/repository_paths.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

namespace fs = std::filesystem;
using namespace paginor::test_support;
using reliability::PdfBuilder;

// A one-page form with a field of each given dictionary body ("/T (x) ...").
std::string FormWith(const std::vector<std::string>& fields) {
    PdfBuilder pdf;
    const int catalog = pdf.Add("<< /Type /Catalog /Pages 2 0 R /AcroForm 4 0 R >>");
    pdf.Add("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    std::string annots;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        annots += std::to_string(6 + i) + " 0 R ";
    }
    pdf.Add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 300 300] /Annots [" + annots + "] >>");
    pdf.Add("<< /Fields [" + annots +
            "] /DR << /Font << /Helv 5 0 R >> >> /DA (/Helv 0 Tf 0 g) >>");
    pdf.Add("<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>");
    for (std::size_t i = 0; i < fields.size(); ++i) {
        pdf.Add("<< /Type /Annot /Subtype /Widget /P 3 0 R /Rect [10 " +
                std::to_string(10 + 30 * i) + " 200 " + std::to_string(30 + 30 * i) +
                "] /DA (/Helv 10 Tf 0 g) " + fields[i] + " >>");
    }
    return pdf.Build(catalog);
}

TEST(EngineReasons, ReachTheErrorDetail) {
    ScratchFolder folder;
    const std::string form = (folder / "form.pdf").string();
    writeFile(form, FormWith({"/FT /Btn /Ff 65536 /T (send)", "/FT /Sig /T (signature)",
                              "/FT /Ch /Ff 131072 /T (empty choice)"}));
    const std::string damaged = (folder / "damaged.pdf").string();
    writeFile(damaged, "%PDF-1.7\nnothing of a PDF here\n");
    const std::string locked = (folder / "locked.pdf").string();
    int exitCode = -1;
    {
        const auto result = runProcess("qpdf", {"--encrypt", "secret", "owner", "256", "--",
                                                examplePath("text.pdf").string(), locked});
        exitCode = result.exitCode;
    }
    ASSERT_EQ(exitCode, 0);
    const std::string twoPages = examplePath("sample-form.pdf").string();

    const std::vector<std::pair<std::string, std::string>> cases{
        {withError("QELT_OpenPDF ( " + calcText(locked) + " )"),
         "!!ERROR!! -2017 Unable to open the PDF fileCannot open " + locked +
             ": the document is protected by a password"},
        {withError("QELT_OpenPDF ( " + calcText(damaged) + " )"),
         "!!ERROR!! -2017 Unable to open the PDF fileCannot open " + damaged + " as a PDF"},
    };
    for (const auto& [calculation, expected] : cases) {
        const FmcalcRun run = runCalculations({calculation});
        ASSERT_EQ(run.results.size(), 1u) << run.stderrText;
        EXPECT_EQ(run.value(0).rfind(expected, 0), 0u) << run.value(0);
    }

    const FmcalcRun run = runCalculations({
        withError("QELT_OpenPDF ( " + calcText(form) + " )"),
        withError("QELT_SetPDFFieldValue ( \"send\" ; \"x\" )"),
        withError("QELT_SetPDFFieldValue ( \"signature\" ; \"x\" )"),
        withError("QELT_SetPDFFieldValue ( \"empty choice\" ; \"x\" )"),
        withError("QELT_InsertPages ( 0 ; " + calcText(locked) + " ; 0 ; 1 ; \"no\" )"),
        withError("QELT_AppendPDF ( " + calcText(damaged) + " )"),
        "QELT_ClosePDF",
        withError("QELT_OpenPDF ( " + calcText(twoPages) + " )"),
        withError("QELT_DeletePages ( 1 ; 2 )"),
    });
    ASSERT_EQ(run.results.size(), 9u) << run.stderrText;
    EXPECT_EQ(run.value(0), "0");
    EXPECT_EQ(run.value(1), "!!ERROR!! -999 COM ExceptionError:80070057 Description: Field "
                            "\"send\" is a push button; it holds no value to write.");
    EXPECT_EQ(run.value(2), "!!ERROR!! -999 COM ExceptionError:80070057 Description: Field "
                            "\"signature\" is a signature field; only signing software can "
                            "write its value.");
    EXPECT_EQ(run.value(3), "!!ERROR!! -999 COM ExceptionError:80070057 Description: The value "
                            "\"x\" is not an option of combo box \"empty choice\", which has no "
                            "options; accepted values: an empty text to clear it.");
    EXPECT_EQ(run.value(4), "!!ERROR!! -2017 Unable to open the PDF fileCannot open " + locked +
                                ": the document is protected by a password");
    EXPECT_EQ(run.value(5).rfind("!!ERROR!! -2017 Unable to open the PDF fileCannot open " +
                                     damaged + " as a PDF",
                                 0),
              0u)
        << run.value(5);
    EXPECT_EQ(run.value(8), "!!ERROR!! -2002 Unable to delete pagesCannot delete pages 1 to 2: "
                            "that would leave the document without a page");
    EXPECT_EQ(run.stderrText, "");
}

TEST(EngineReasons, APrintQueueThatRefusesTheJobSaysWhy) {
    ::setenv("PAGINOR_PRINTER", "no-such-queue-for-paginor", 1);
    const FmcalcRun run = runCalculations({
        withError("QELT_OpenPDF ( " + calcText(examplePath("text.pdf").string()) + " )"),
        withError("QELT_PrintPDF"),
    });
    ::unsetenv("PAGINOR_PRINTER");
    ASSERT_EQ(run.results.size(), 2u) << run.stderrText;
    EXPECT_EQ(run.value(1).rfind("!!ERROR!! -2014 Unable to printCannot print: ", 0), 0u)
        << run.value(1);
    EXPECT_GT(run.value(1).size(),
              std::string("!!ERROR!! -2014 Unable to printCannot print: ").size());
}

TEST(EngineReasons, LibxmlNeverWritesToTheHostsStandardError) {
    ScratchFolder folder;
    PdfBuilder pdf;
    const int catalog = pdf.Add("<< /Type /Catalog /Pages 2 0 R /Metadata 4 0 R >>");
    pdf.Add("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
    pdf.Add("<< /Type /Page /Parent 2 0 R /MediaBox [0 0 200 200] >>");
    pdf.AddStream("<< /Type /Metadata /Subtype /XML >>",
                  "<?xpacket begin=''?><x:xmpmeta xmlns:x='adobe:ns:meta/'><rdf:RDF "
                  "xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'><rdf:Description "
                  "rdf:about='' xmlns:dc='http://purl.org/dc/elements/1.1/' <broken &undefined;");
    const std::string file = (folder / "bad-xmp.pdf").string();
    writeFile(file, pdf.Build(catalog));
    const FmcalcRun run = runCalculations({
        withError("QELT_OpenPDF ( " + calcText(file) + " )"),
        withError("QELT_SetPDFInfo ( \"Title\" ; \"t\" )"),
        withError("QELT_SaveAsPDF ( " + calcText((folder / "out.pdf").string()) + " )"),
    });
    ASSERT_EQ(run.results.size(), 3u) << run.stderrText;
    EXPECT_EQ(run.value(1), "0");
    EXPECT_EQ(run.value(2), "0");
    EXPECT_EQ(run.stderrText, "");
}

} // namespace
