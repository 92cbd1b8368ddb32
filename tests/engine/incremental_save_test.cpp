// Incremental saving through the engine's document and form: the output
// keeps every byte of the input, passes qpdf's check and matches a
// whole-file save of the same document object for object (a change that was
// not marked shows up as a difference); signatures, certifications, locks
// and usage rights are kept or obeyed; saving again and again stays sound.
#include "engine_test_support.h"
#include "object_graph_comparison.h"
#include "signed_form_maker.h"

#include "engine/document/engine_document.h"
#include "engine/forms/document_form.h"
#include "engine/forms/field_attributes.h"
#include "engine/forms/field_options.h"
#include "engine/forms/field_value_reader.h"
#include "text_encoding/utf_conversion.h"

#include <qpdf/Buffer.hh>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFWriter.hh>

#include <gtest/gtest.h>

#include <fstream>

namespace engine_test {
namespace {

using paginor::engine::EngineDocument;
using paginor::engine::SaveLayout;
using paginor::engine::SaveReport;

using paginor::engine::forms::DocumentForm;
using paginor::engine::forms::FieldKind;
using paginor::engine::forms::FormField;

constexpr int kSaveInPlace = 1;
constexpr int kSaveCopy = 1 | 2;

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

bool startsWith(const std::string& text, const std::string& prefix) {
    return text.size() >= prefix.size() && text.compare(0, prefix.size(), prefix) == 0;
}

int qpdfCheck(const fs::path& file, std::string* output = nullptr) {
    int exitCode = -1;
    const std::string report = runProgram({"qpdf", "--check", file.string()}, &exitCode);
    if (output != nullptr) {
        *output = report;
    }
    return exitCode;
}

// A value each kind of field takes; text mixes scripts so that the form's
// fonts meet characters they lack.
std::optional<std::string> valueFor(const FormField& field, size_t index) {
    static const char* const texts[] = {"Zo\xC3\xAB 12", "\xCE\x95\xCE\xBB\xCE\xBB\xCE\xAC",
                                        "\xE6\x9D\xB1\xE4\xBA\xAC Tokyo", "plain"};
    using namespace paginor::engine::forms;
    const uint32_t flags = fieldFlags(field.dictionary);
    switch (field.kind) {
    case FieldKind::Text: {
        const int maxLength = inheritedInteger(field.dictionary, "/MaxLen", -1);
        std::u32string text = paginor::Utf8ToUtf32(texts[index % std::size(texts)]);
        if ((flags & field_flag::Comb) != 0) {
            text = U"1234567890";
        }
        if (maxLength >= 0 && text.size() > static_cast<size_t>(maxLength)) {
            text.resize(static_cast<size_t>(maxLength));
        }
        return paginor::Utf32ToUtf8(text);
    }
    case FieldKind::CheckBox:
    case FieldKind::RadioButton: {
        auto states = buttonOnStates(field);
        return states.empty() ? std::nullopt : std::optional<std::string>(states.front());
    }
    case FieldKind::ComboBox:
    case FieldKind::ListBox: {
        auto options = choiceOptions(field);
        return options.empty() ? std::nullopt
                               : std::optional<std::string>(options.front().exportValue);
    }
    default:
        return std::nullopt;
    }
}

// Writes every writable terminal field once; answers how many were written.
int fillEveryField(DocumentForm& form) {
    int written = 0;
    const size_t count = form.tree().fields().size();
    for (size_t i = 0; i < count; ++i) {
        const FormField& field = form.tree().fields()[i];
        if (!field.terminal || form.tree().indexOf(field.fullName) != static_cast<long>(i)) {
            continue;
        }
        if (auto value = valueFor(field, i); value && form.write(i, *value).ok) {
            ++written;
        }
    }
    return written;
}

std::vector<fs::path> corpusForms() {
    std::vector<fs::path> forms{examplePath("sample-form.pdf")};
    for (const fs::path& file : allCorpusFiles()) {
        if (file.parent_path().filename() == "forms") {
            forms.push_back(file);
        }
    }
    return forms;
}

// Fills every field of `source`, saves incrementally and as a whole, and
// compares: a change that was not marked shows as a difference.
void checkIncrementalMatchesWholeFile(const fs::path& source) {
    ScratchFolder folder;
    const fs::path input = folder / "form.pdf";
    fs::copy_file(source, input);
    const std::string original = readFile(input);
    std::string inputReport;
    const int inputCheck = qpdfCheck(input, &inputReport);

    auto document = EngineDocument::load(input.string());
    DocumentForm form(document);
    const int written = fillEveryField(form);
    ASSERT_TRUE(document->setInfoEntry("Title", "Filled \xE2\x80\x94 by the test"));

    // qpdf repairs lazily: what it found by now decides this save.
    const bool repaired = document->pdf().anyWarnings();
    document->save(kSaveCopy, (folder / "incremental.pdf").string(), SaveLayout::Incremental);
    const SaveReport incremental = document->lastSave();
    document->save(kSaveCopy, (folder / "whole.pdf").string(), SaveLayout::WholeFile);

    const std::string output = readFile(folder / "incremental.pdf");
    if (repaired) {
        EXPECT_FALSE(incremental.incremental) << "a file qpdf repaired is written as a whole";
    } else {
        EXPECT_TRUE(incremental.incremental) << incremental.wholeFileReason;
        EXPECT_TRUE(startsWith(output, original)) << "the input is not a prefix";
    }
    std::string report;
    const int check = qpdfCheck(folder / "incremental.pdf", &report);
    EXPECT_TRUE(check == 0 || (inputCheck != 0 && check <= inputCheck)) << report;
    const auto differences = documentDifferences(folder / "incremental.pdf", folder / "whole.pdf");
    EXPECT_TRUE(differences.empty())
        << source.filename() << " (" << written << " fields written): " << differences.front();
}

class EveryForm : public testing::TestWithParam<fs::path> {};

TEST_P(EveryForm, AnIncrementalSaveMatchesAWholeFileSave) {
    checkIncrementalMatchesWholeFile(GetParam());
}

// Fields whose widgets are kids of their own (most real forms merge them):
// a text field shown twice, a radio group, a check box on two pages' worth.
void writeFormWithWidgetKids(const fs::path& path) {
    QPDF pdf;
    pdf.emptyPDF();
    QPDFObjectHandle page = pdf.makeIndirectObject(
        QPDFObjectHandle::parse("<< /Type /Page /MediaBox [0 0 612 792] /Resources << >> >>"));
    pdf.addPage(page, false);
    page = pdf.getAllPages().front();
    QPDFObjectHandle helv = pdf.makeIndirectObject(QPDFObjectHandle::parse(
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>"));
    QPDFObjectHandle annots = QPDFObjectHandle::newArray();
    QPDFObjectHandle fields = QPDFObjectHandle::newArray();
    auto widget = [&](QPDFObjectHandle parent, const std::string& rect, const std::string& extra) {
        QPDFObjectHandle kid = pdf.makeIndirectObject(QPDFObjectHandle::parse(
            "<< /Type /Annot /Subtype /Widget /F 4 /Rect [" + rect + "] " + extra + " >>"));
        kid.replaceKey("/Parent", parent);
        kid.replaceKey("/P", page);
        annots.appendItem(kid);
        return kid;
    };
    QPDFObjectHandle text = pdf.makeIndirectObject(
        QPDFObjectHandle::parse("<< /FT /Tx /T (shown twice) /DA (/Helv 10 Tf 0 g) >>"));
    text.replaceKey("/Kids", QPDFObjectHandle::newArray({widget(text, "50 700 250 720", ""),
                                                         widget(text, "50 650 250 670", "")}));
    QPDFObjectHandle radio = pdf.makeIndirectObject(
        QPDFObjectHandle::parse("<< /FT /Btn /Ff 49152 /T (choice) /DA (/Helv 0 Tf 0 g) >>"));
    QPDFObjectHandle kids = QPDFObjectHandle::newArray();
    for (const std::string state : {"one", "two"}) {
        const std::string x = state == "one" ? "50" : "100";
        QPDFObjectHandle kid =
            widget(radio, x + " 600 " + x + "0 620", "/AS /Off /MK << /CA (l) >>");
        QPDFObjectHandle states = QPDFObjectHandle::newDictionary();
        states.replaceKey("/" + state, pdf.newStream("0 g 5 5 10 10 re f"));
        states.replaceKey("/Off", pdf.newStream(""));
        QPDFObjectHandle appearances = QPDFObjectHandle::newDictionary();
        appearances.replaceKey("/N", states);
        kid.replaceKey("/AP", appearances);
        kids.appendItem(kid);
    }
    radio.replaceKey("/Kids", kids);
    fields.appendItem(text);
    fields.appendItem(radio);
    page.replaceKey("/Annots", annots);
    QPDFObjectHandle acroForm = QPDFObjectHandle::newDictionary();
    acroForm.replaceKey("/Fields", fields);
    acroForm.replaceKey("/DA", QPDFObjectHandle::newString("/Helv 0 Tf 0 g"));
    acroForm.replaceKey("/DR", QPDFObjectHandle::parse("<< /Font << >> >>"));
    acroForm.getKey("/DR").getKey("/Font").replaceKey("/Helv", helv);
    pdf.getRoot().replaceKey("/AcroForm", pdf.makeIndirectObject(acroForm));
    const std::string name = path.string(); // the writer keeps the pointer
    QPDFWriter writer(pdf, name.c_str());
    writer.setObjectStreamMode(qpdf_o_generate);
    writer.write();
}

TEST(IncrementalSave, FieldsWithWidgetKidsMatchAWholeFileSave) {
    ScratchFolder folder;
    writeFormWithWidgetKids(folder / "kids.pdf");
    checkIncrementalMatchesWholeFile(folder / "kids.pdf");
}

INSTANTIATE_TEST_SUITE_P(Forms, EveryForm, testing::ValuesIn(corpusForms()),
                         [](const testing::TestParamInfo<fs::path>& info) {
                             std::string name = info.param.stem().string();
                             for (char& c : name) {
                                 c = std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             }
                             return name;
                         });

TEST(IncrementalSave, OverTheOpenFileThreeTimesKeepsOneUpdateWithEveryChange) {
    ScratchFolder folder;
    const fs::path path = folder / "form.pdf";
    fs::copy_file(examplePath("sample-form.pdf"), path);
    const std::string original = readFile(path);
    auto document = EngineDocument::load(path.string());
    DocumentForm form(document);
    const long name = form.tree().indexOf("name");
    ASSERT_GE(name, 0);
    std::size_t firstSize = 0;
    for (int round = 1; round <= 3; ++round) {
        ASSERT_TRUE(form.write(static_cast<size_t>(name), "Round " + std::to_string(round)).ok);
        document->save(kSaveInPlace, "");
        ASSERT_TRUE(document->lastSave().incremental) << document->lastSave().wholeFileReason;
        const std::string saved = readFile(path);
        EXPECT_TRUE(startsWith(saved, original)) << "round " << round;
        EXPECT_EQ(qpdfCheck(path), 0) << "round " << round;
        // One update section holding every change since the open: the file
        // does not grow with each save of the same changes.
        firstSize = round == 1 ? saved.size() : firstSize;
        EXPECT_LT(saved.size(), firstSize + 64) << "round " << round;
        auto reread = EngineDocument::load(path.string());
        DocumentForm rereadForm(reread);
        EXPECT_EQ(rereadForm.read(static_cast<size_t>(rereadForm.tree().indexOf("name"))),
                  "Round " + std::to_string(round));
    }
}

TEST(IncrementalSave, SaveAsThenSaveWritesEveryChangeToTheOpenedFile) {
    ScratchFolder folder;
    const fs::path opened = folder / "opened.pdf";
    fs::copy_file(examplePath("sample-form.pdf"), opened);
    const std::string original = readFile(opened);
    auto document = EngineDocument::load(opened.string());
    DocumentForm form(document);
    ASSERT_TRUE(form.write(static_cast<size_t>(form.tree().indexOf("name")), "Ada").ok);
    document->save(kSaveCopy, (folder / "copy.pdf").string());
    EXPECT_EQ(readFile(opened), original);
    ASSERT_TRUE(document->setInfoEntry("Author", "Lovelace"));
    document->save(kSaveInPlace, "");

    for (const fs::path& file : {folder / "copy.pdf", opened}) {
        EXPECT_TRUE(startsWith(readFile(file), original)) << file;
        auto reread = EngineDocument::load(file.string());
        DocumentForm rereadForm(reread);
        EXPECT_EQ(rereadForm.read(static_cast<size_t>(rereadForm.tree().indexOf("name"))), "Ada");
    }
    EXPECT_EQ(EngineDocument::load(opened.string())->infoEntry("Author"), "Lovelace");
    EXPECT_NE(EngineDocument::load((folder / "copy.pdf").string())->infoEntry("Author"),
              "Lovelace");
}

// Why a save writes the whole file, case by case.
TEST(IncrementalSave, WritesTheWholeFileOnlyWhereAnUpdateIsNotSound) {
    const struct {
        const char* name;
        std::function<void(EngineDocument&)> change;
        int flags;
        const char* reason; // "" when the save is incremental
    } cases[] = {
        {"information written", [](EngineDocument& d) { d.setInfoEntry("Title", "t"); }, kSaveCopy,
         ""},
        {"page deleted", [](EngineDocument& d) { d.deletePages(1, 1); }, kSaveCopy,
         "pages were deleted"},
        {"pages inserted", [](EngineDocument& d) { d.insertPages(0, d, 0, 1, false); }, kSaveCopy,
         "pages were inserted"},
        {"linearized output", [](EngineDocument&) {}, kSaveCopy | 4,
         "linearized output was asked for"},
    };
    for (const auto& c : cases) {
        ScratchFolder folder;
        auto document = EngineDocument::load(examplePath("sample-form.pdf").string());
        c.change(*document);
        document->save(c.flags, (folder / "out.pdf").string());
        EXPECT_EQ(document->lastSave().incremental, std::string(c.reason).empty()) << c.name;
        EXPECT_EQ(document->lastSave().wholeFileReason, c.reason) << c.name;
        EXPECT_EQ(qpdfCheck(folder / "out.pdf"), 0) << c.name;
    }
}

TEST(IncrementalSave, AFileSavedAgainAndAgainIsCompactedWhenNothingSignsIt) {
    ScratchFolder folder;
    const fs::path path = folder / "form.pdf";
    fs::copy_file(examplePath("sample-form.pdf"), path);
    int wholeFiles = 0;
    for (int round = 0; round < 40; ++round) {
        auto document = EngineDocument::load(path.string());
        ASSERT_TRUE(document->setInfoEntry("Title", "Round " + std::to_string(round)));
        document->save(kSaveInPlace, "");
        wholeFiles += document->lastSave().incremental ? 0 : 1;
    }
    EXPECT_GE(wholeFiles, 1);
    EXPECT_LE(wholeFiles, 2);
    EXPECT_EQ(EngineDocument::load(path.string())->infoEntry("Title"), "Round 39");
}

std::optional<std::string> signedForm(const ScratchFolder& folder, const std::string& name,
                                      const SignedFormOptions& options = {}) {
    const fs::path path = folder / name;
    if (!makeSignedForm(folder.path(), path, options)) {
        return std::nullopt;
    }
    return path.string();
}

TEST(SignedDocument, StaysValidAfterAFieldIsFilledAndSavedTwice) {
    ScratchFolder folder;
    const auto path = signedForm(folder, "signed.pdf");
    if (!path) {
        GTEST_SKIP() << "openssl is not installed";
    }
    ASSERT_EQ(signatureVerdicts(*path), std::vector<std::string>{"Signature is Valid."});
    auto document = EngineDocument::load(*path);
    DocumentForm form(document);
    for (const char* value : {"First", "Second"}) {
        ASSERT_TRUE(form.write(static_cast<size_t>(form.tree().indexOf("name")), value).ok);
        document->save(kSaveInPlace, "");
        EXPECT_EQ(signatureVerdicts(*path), std::vector<std::string>{"Signature is Valid."})
            << "after writing " << value;
        EXPECT_EQ(qpdfCheck(*path), 0);
    }
}

TEST(SignedDocument, CertificationWithoutChangesRefusesWritesAndSavesTheBytesAsTheyAre) {
    ScratchFolder folder;
    const auto path = signedForm(folder, "certified.pdf", SignedFormOptions{1, {}});
    if (!path) {
        GTEST_SKIP() << "openssl is not installed";
    }
    const std::string original = readFile(*path);
    auto document = EngineDocument::load(*path);
    DocumentForm form(document);
    const auto result = form.write(static_cast<size_t>(form.tree().indexOf("name")), "x");
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.description.find("certified with no changes allowed"), std::string::npos)
        << result.description;
    EXPECT_FALSE(document->setInfoEntry("Title", "x"));
    document->save(kSaveInPlace, "");
    EXPECT_EQ(readFile(*path), original);
    EXPECT_EQ(signatureVerdicts(*path), std::vector<std::string>{"Signature is Valid."});
}

TEST(SignedDocument, CertificationThatAllowsFillingKeepsItsSignature) {
    ScratchFolder folder;
    const auto path = signedForm(folder, "certified.pdf", SignedFormOptions{2, {}});
    if (!path) {
        GTEST_SKIP() << "openssl is not installed";
    }
    auto document = EngineDocument::load(*path);
    DocumentForm form(document);
    ASSERT_TRUE(form.write(static_cast<size_t>(form.tree().indexOf("name")), "Filled").ok);
    document->save(kSaveInPlace, "");
    EXPECT_EQ(signatureVerdicts(*path), std::vector<std::string>{"Signature is Valid."});
}

TEST(SignedDocument, AFieldTheSignatureLocksIsRefusedAndTheOthersWritten) {
    ScratchFolder folder;
    const auto path = signedForm(folder, "locked.pdf", SignedFormOptions{0, {"locked"}});
    if (!path) {
        GTEST_SKIP() << "openssl is not installed";
    }
    auto document = EngineDocument::load(*path);
    DocumentForm form(document);
    const auto locked = form.write(static_cast<size_t>(form.tree().indexOf("locked")), "x");
    EXPECT_FALSE(locked.ok);
    EXPECT_NE(locked.description.find("locked by the signature in \"Signature1\""),
              std::string::npos)
        << locked.description;
    EXPECT_TRUE(form.write(static_cast<size_t>(form.tree().indexOf("name")), "free").ok);
    EXPECT_EQ(form.read(static_cast<size_t>(form.tree().indexOf("locked"))), "");
}

// The corpus forms that carry a usage-rights signature.
std::vector<fs::path> usageRightsForms() {
    std::vector<fs::path> forms;
    for (const fs::path& file : corpusForms()) {
        QPDF pdf;
        pdf.setSuppressWarnings(true);
        pdf.processFile(file.string().c_str());
        QPDFObjectHandle perms = pdf.getRoot().getKey("/Perms");
        if (perms.isDictionary() && perms.hasKey("/UR3")) {
            forms.push_back(file);
        }
    }
    return forms;
}

TEST(UsageRights, TheSignatureStillCoversTheOriginalBytesAndTheXfaDataHoldsTheValues) {
    const auto forms = usageRightsForms();
    if (forms.empty()) {
        GTEST_SKIP() << "no corpus form with usage rights";
    }
    for (const fs::path& source : forms) {
        ScratchFolder folder;
        const std::string original = readFile(source);
        auto document = EngineDocument::load(source.string());
        DocumentForm form(document);
        ASSERT_GT(fillEveryField(form), 0) << source.filename();
        document->save(kSaveCopy, (folder / "out.pdf").string());
        EXPECT_TRUE(document->lastSave().incremental) << source.filename();
        const std::string output = readFile(folder / "out.pdf");
        ASSERT_TRUE(startsWith(output, original)) << source.filename();

        QPDF saved;
        saved.setSuppressWarnings(true);
        saved.processFile((folder / "out.pdf").string().c_str());
        QPDFObjectHandle range =
            saved.getRoot().getKey("/Perms").getKey("/UR3").getKey("/ByteRange");
        ASSERT_TRUE(range.isArray()) << source.filename();
        const long long end =
            range.getArrayItem(2).getIntValue() + range.getArrayItem(3).getIntValue();
        EXPECT_LE(end, static_cast<long long>(original.size())) << source.filename();

        QPDFObjectHandle xfa = saved.getRoot().getKey("/AcroForm").getKey("/XFA");
        if (xfa.isArray()) {
            std::string datasets;
            for (int i = 0; i + 1 < xfa.getArrayNItems(); i += 2) {
                if (xfa.getArrayItem(i).getUTF8Value() == "datasets") {
                    auto data = xfa.getArrayItem(i + 1).getStreamData(qpdf_dl_generalized);
                    datasets.assign(reinterpret_cast<const char*>(data->getBuffer()),
                                    data->getSize());
                }
            }
            EXPECT_TRUE(datasets.find("plain") != std::string::npos ||
                        datasets.find("Zo\xC3\xAB 12") != std::string::npos)
                << source.filename() << ": the XFA data lacks the values written";
        }

        document->save(kSaveCopy, (folder / "whole.pdf").string(), SaveLayout::WholeFile);
        QPDF whole;
        whole.setSuppressWarnings(true);
        whole.processFile((folder / "whole.pdf").string().c_str());
        QPDFObjectHandle perms = whole.getRoot().getKey("/Perms");
        EXPECT_FALSE(perms.isDictionary() && perms.hasKey("/UR3"))
            << source.filename() << ": a rewritten file keeps a signature that cannot verify";
    }
}

TEST(EmbeddedFonts, OneSubsetPerFaceGrownForLaterValues) {
    ScratchFolder folder;
    auto document = EngineDocument::load(examplePath("sample-form.pdf").string());
    DocumentForm form(document);
    std::vector<size_t> texts;
    for (size_t i = 0; i < form.tree().fields().size(); ++i) {
        if (form.tree().fields()[i].kind == FieldKind::Text) {
            texts.push_back(i);
        }
    }
    ASSERT_GE(texts.size(), 2u);
    const std::string first = "\xE6\x9D\xB1\xE4\xBA\xAC";              // Tokyo, in Han
    const std::string second = "\xE5\x8C\x97\xE4\xBA\xAC\xE5\xB8\x82"; // Beijing city
    ASSERT_TRUE(form.write(texts[0], first).ok);
    ASSERT_TRUE(form.write(texts[1], second).ok);
    document->save(kSaveCopy, (folder / "out.pdf").string());

    QPDF saved;
    saved.processFile((folder / "out.pdf").string().c_str());
    std::map<std::string, int> programsPerFace;
    for (QPDFObjectHandle object : saved.getAllObjects()) {
        if (object.isDictionary() && object.getKey("/Type").isNameAndEquals("/FontDescriptor") &&
            (object.hasKey("/FontFile2") || object.hasKey("/FontFile3"))) {
            const std::string name = object.getKey("/FontName").getName();
            ++programsPerFace[name.substr(name.find('+') + 1)];
        }
    }
    ASSERT_FALSE(programsPerFace.empty());
    for (const auto& [face, count] : programsPerFace) {
        EXPECT_EQ(count, 1) << face;
    }
    // Both values still extract as text: the grown subset kept the codes the
    // first value was drawn with.
    int exitCode = -1;
    const std::string text =
        runProgram({"pdftotext", (folder / "out.pdf").string(), "-"}, &exitCode);
    if (exitCode == 0) {
        EXPECT_NE(text.find(first), std::string::npos);
        EXPECT_NE(text.find(second), std::string::npos);
    }
}

} // namespace
} // namespace engine_test
