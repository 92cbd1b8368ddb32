// Reusing a closed document for the next open of the same file: what a row
// writes never reaches the next row, and a document whose changes were not
// all recorded is parsed again instead.
#include "engine_test_support.h"
#include "object_graph_comparison.h"

#include "engine/document/document_shelf.h"
#include "engine/document/engine_document.h"
#include "engine/forms/document_form.h"

#include <qpdf/QPDF.hh>

#include <gtest/gtest.h>

#include <fstream>

namespace engine_test {
namespace {

using paginor::engine::EngineDocument;
using paginor::engine::SaveLayout;
using paginor::engine::SaveReport;

using paginor::engine::DocumentShelf;
using paginor::engine::forms::DocumentForm;

constexpr int kSaveCopy = 1 | 2;

struct Row {
    std::string name;
    std::string subscribe; // check box value
};

// One batch row: open, write, save as `output`, close. Answers whether the
// open reused a kept document.
bool fillRow(const fs::path& form, const Row& row, const fs::path& output) {
    auto document = EngineDocument::load(form.string());
    const bool reused = document->reused();
    DocumentForm fields(document);
    EXPECT_TRUE(fields.write(static_cast<size_t>(fields.tree().indexOf("name")), row.name).ok);
    if (!row.subscribe.empty()) {
        EXPECT_TRUE(
            fields.write(static_cast<size_t>(fields.tree().indexOf("subscribe")), row.subscribe)
                .ok);
    }
    document->setInfoEntry("Title", row.name);
    document->save(kSaveCopy, output.string());
    return reused;
}

std::string fieldValue(const fs::path& file, const std::string& name) {
    DocumentShelf::shared().clear();
    auto document = EngineDocument::load(file.string());
    DocumentForm form(document);
    return form.read(static_cast<size_t>(form.tree().indexOf(name)));
}

TEST(DocumentReuse, EachRowSeesTheFormAsItIsOnDiskAndWritesOnlyItsOwnValues) {
    ScratchFolder folder;
    DocumentShelf::shared().clear();
    const fs::path form = examplePath("sample-form.pdf");
    const std::string before = fieldValue(form, "name");
    DocumentShelf::shared().clear();
    const Row rows[] = {{"Ada", "Yes"}, {"Grace", ""}, {"Edsger", "Off"}, {"Barbara", ""}};
    int reused = 0;
    for (size_t i = 0; i < std::size(rows); ++i) {
        reused += fillRow(form, rows[i], folder / ("row-" + std::to_string(i) + ".pdf")) ? 1 : 0;
    }
    EXPECT_EQ(reused, static_cast<int>(std::size(rows)) - 1);
    for (size_t i = 0; i < std::size(rows); ++i) {
        const fs::path output = folder / ("row-" + std::to_string(i) + ".pdf");
        EXPECT_EQ(fieldValue(output, "name"), rows[i].name);
        // Row 1 ticked the box; row 2 left it alone and must find it as the
        // form has it, not as row 1 left it.
        const std::string expected =
            rows[i].subscribe.empty() ? fieldValue(form, "subscribe") : rows[i].subscribe;
        EXPECT_EQ(fieldValue(output, "subscribe"), expected) << "row " << i;
        // And the row's file is what a fresh parse of the form would save.
        DocumentShelf::shared().clear();
        fillRow(form, rows[i], folder / "fresh.pdf");
        const auto differences = documentDifferences(output, folder / "fresh.pdf");
        EXPECT_TRUE(differences.empty()) << "row " << i << ": " << differences.front();
    }
    EXPECT_EQ(fieldValue(form, "name"), before);
}

TEST(DocumentReuse, ADocumentUsedOutsideTheRecordedPathsIsParsedAgain) {
    const struct {
        const char* name;
        std::function<void(EngineDocument&)> use;
    } cases[] = {
        {"the parsed document handed out", [](EngineDocument& d) { d.pdf(); }},
        {"a page deleted", [](EngineDocument& d) { d.deletePages(1, 1); }},
        {"serialized for the text reader", [](EngineDocument& d) { d.serializeToMemory({}); }},
        {"saved as a whole",
         [](EngineDocument& d) {
             ScratchFolder folder;
             d.save(kSaveCopy, (folder / "x.pdf").string(), SaveLayout::WholeFile);
         }},
        // A change nobody recorded: the check against the file finds it.
        {"the form dictionary changed behind the record",
         [](EngineDocument& d) {
             auto shared = std::shared_ptr<EngineDocument>(&d, [](EngineDocument*) {});
             DocumentForm form(shared);
             ASSERT_TRUE(form.write(static_cast<size_t>(form.tree().indexOf("name")), "x").ok);
             d.trackedPdf()
                 .getRoot()
                 .getKey("/AcroForm")
                 .replaceKey("/DA", QPDFObjectHandle::newString("/Helv 9 Tf 0 g"));
         }},
    };
    const fs::path form = examplePath("sample-form.pdf");
    for (const auto& c : cases) {
        DocumentShelf::shared().clear();
        {
            auto document = EngineDocument::load(form.string());
            c.use(*document);
        }
        auto again = EngineDocument::load(form.string());
        EXPECT_FALSE(again->reused()) << c.name;
    }
    DocumentShelf::shared().clear();
}

TEST(DocumentReuse, AFileThatChangedOnDiskIsParsedAgain) {
    ScratchFolder folder;
    DocumentShelf::shared().clear();
    const fs::path form = folder / "form.pdf";
    fs::copy_file(examplePath("sample-form.pdf"), form);
    fillRow(form, {"Ada", ""}, form); // saved over itself: new bytes
    auto again = EngineDocument::load(form.string());
    EXPECT_FALSE(again->reused());
    DocumentForm fields(again);
    EXPECT_EQ(fields.read(static_cast<size_t>(fields.tree().indexOf("name"))), "Ada");
    DocumentShelf::shared().clear();
}

} // namespace
} // namespace engine_test
