// Encrypted forms through the host program and the engine's own process,
// which loads its cryptography library only when a document needs it: each
// method qpdf writes opens with the empty user password, takes a value, saves
// as an update that keeps the encryption, and reads the value back.
#include "support/fmcalc_runner.h"
#include "support/process_runner.h"
#include "support/repository_paths.h"
#include "support/scratch_folder.h"

#include <gtest/gtest.h>

namespace {

using namespace paginor::test_support;

struct EncryptionCase {
    const char* name;
    std::vector<std::string> qpdfArguments; // after --encrypt "" owner
};

TEST(EncryptedForms, AreFilledSavedAndReadBackWithEveryMethod) {
    const std::vector<EncryptionCase> cases{
        {"RC4 128-bit", {"128", "--use-aes=n"}},
        {"AES 128-bit", {"128", "--use-aes=y"}},
        {"AES 256-bit", {"256"}},
    };
    const std::string value = "Zoë, 12 rue de l'Été";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchFolder folder;
        const std::string input = (folder / "encrypted.pdf").string();
        const std::string output = (folder / "filled.pdf").string();
        // RC4 is weak by qpdf's standards; old forms still use it.
        std::vector<std::string> encrypt{"--allow-weak-crypto", "--encrypt", "", "owner"};
        encrypt.insert(encrypt.end(), c.qpdfArguments.begin(), c.qpdfArguments.end());
        encrypt.insert(encrypt.end(), {"--", examplePath("sample-form.pdf").string(), input});
        ASSERT_EQ(runProcess("qpdf", encrypt).exitCode, 0);

        const FmcalcRun run = runCalculations({
            withError("QELT_OpenPDF ( " + calcText(input) + " )"),
            withError("QELT_SetPDFFieldValue ( \"name\" ; " + calcText(value) + " )"),
            withError("QELT_SaveAsPDF ( " + calcText(output) + " )"),
            "QELT_ClosePDF",
            withError("QELT_OpenPDF ( " + calcText(output) + " )"),
            withError("QELT_GetPDFFieldValue ( \"name\" )"),
        });
        ASSERT_EQ(run.results.size(), 6u) << run.stderrText;
        EXPECT_EQ(run.value(0), "0");
        EXPECT_EQ(run.value(1), "0");
        EXPECT_EQ(run.value(2), "0");
        EXPECT_EQ(run.value(5), value);

        const std::string original = readFile(input);
        EXPECT_EQ(readFile(output).compare(0, original.size(), original), 0)
            << "the save rewrote the original bytes";
        const auto check = runProcess("qpdf", {"--check", output});
        EXPECT_EQ(check.exitCode, 0) << check.out;
        EXPECT_NE(runProcess("qpdf", {"--show-encryption", output}).out.find("R = "),
                  std::string::npos);
    }
}

} // namespace
