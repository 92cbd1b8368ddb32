// The page and text-selection objects as the plug-in drives them: acquire a
// page, fill a highlight list, build a selection, read its items.
#include "engine/automation/highlight_list_object.h"
#include "engine/automation/pd_document_object.h"
#include "engine/document/engine_document.h"
#include "engine/text/text_snapshot_cache.h"
#include "engine/text/text_source.h"

#include "com/bstr_holder.h"
#include "support/corpus.h"
#include "support/repository_paths.h"
#include "support/scratch_folder.h"
#include "text_encoding/utf_conversion.h"

#include <gtest/gtest.h>
#include <qpdf/QPDF.hh>
#include <qpdf/QPDFPageDocumentHelper.hh>
#include <qpdf/QPDFWriter.hh>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;
using paginor::BstrHolder;
using paginor::ComPtr;
using paginor::engine::HighlightListObject;
using paginor::engine::PDDocumentObject;

namespace {

// A file of the corpus; a path that does not exist when the corpus is absent.
fs::path corpusFile(const std::string& name) {
    const auto corpus = paginor::test_support::corpusFolder();
    return corpus ? *corpus / name : fs::path();
}

std::string lastErrorDescription() {
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, info.put()) != S_OK || !info)
        return {};
    BSTR description = nullptr;
    info->GetDescription(&description);
    BstrHolder owned = BstrHolder::Adopt(description);
    return paginor::Utf16ToUtf8(std::u16string_view(description, SysStringLen(description)));
}

ComPtr<PDDocumentObject> openDocument(const fs::path& file) {
    auto document = PDDocumentObject::create();
    BstrHolder path(paginor::Utf8ToUtf16(file.string()));
    VARIANT_BOOL opened = VARIANT_FALSE;
    EXPECT_EQ(document->Open(path.get(), &opened), S_OK);
    EXPECT_EQ(opened, VARIANT_TRUE) << file;
    return document;
}

// The selection's items for `ranges` on page `index`, joined, as the plug-in
// joins them.
std::u16string selectedText(PDDocumentObject& document, LONG index,
                            const std::vector<std::pair<SHORT, SHORT>>& ranges,
                            LONG* itemCount = nullptr) {
    ComPtr<IDispatch> pageObject;
    EXPECT_EQ(document.AcquirePage(index, pageObject.put()), S_OK) << lastErrorDescription();
    ComPtr<IPDPage> page;
    EXPECT_EQ(pageObject.As(IID_IPDPage, page), S_OK);
    auto list = HighlightListObject::create();
    for (auto [offset, length] : ranges) {
        VARIANT_BOOL added = VARIANT_FALSE;
        EXPECT_EQ(list->Add(offset, length, &added), S_OK);
    }
    ComPtr<IDispatch> selectionObject;
    EXPECT_EQ(page->CreateTextSelection(list.get(), selectionObject.put()), S_OK)
        << lastErrorDescription();
    ComPtr<ITextSelection> selection;
    EXPECT_EQ(selectionObject.As(IID_ITextSelection, selection), S_OK);
    LONG count = -1;
    EXPECT_EQ(selection->GetNumText(&count), S_OK);
    if (itemCount != nullptr)
        *itemCount = count;
    std::u16string text;
    for (LONG i = 0; i < count; ++i) {
        BSTR item = nullptr;
        EXPECT_EQ(selection->GetText(i, &item), S_OK);
        BstrHolder owned = BstrHolder::Adopt(item);
        text.append(item, SysStringLen(item));
    }
    BSTR beyond = nullptr;
    EXPECT_EQ(selection->GetText(count, &beyond), DISP_E_BADINDEX);
    return text;
}

class PageTextObjects : public ::testing::Test {
protected:
    void SetUp() override {
        sample_ = paginor::test_support::examplePath("text.pdf");
        if (!fs::exists(sample_))
            GTEST_SKIP() << "no bundled text sample";
        document_ = openDocument(sample_);
    }
    fs::path sample_;
    ComPtr<PDDocumentObject> document_;
};

TEST_F(PageTextObjects, PagesOutsideTheDocumentFailWithPageNumberAndCount) {
    const std::pair<LONG, const char*> cases[] = {
        {3, "Page 4 is past the end of the document (3 pages)"},
        {100000, "Page 100001 is past the end of the document (3 pages)"},
        {2147483647, "Page 2147483648 is past the end of the document (3 pages)"},
        {-1, "Page 0 is before the first page of the document (3 pages)"},
    };
    for (const auto& [index, expected] : cases) {
        IDispatch* page = reinterpret_cast<IDispatch*>(0x1);
        EXPECT_EQ(document_->AcquirePage(index, &page), DISP_E_BADINDEX);
        EXPECT_EQ(page, nullptr);
        EXPECT_EQ(lastErrorDescription(), expected);
    }
}

struct RangeCase {
    const char* name;
    std::vector<std::pair<SHORT, SHORT>> ranges;
    std::u16string expected;
};

void PrintTo(const RangeCase& c, std::ostream* os) {
    *os << c.name;
}

class SelectionRanges : public PageTextObjects, public ::testing::WithParamInterface<RangeCase> {};

TEST_P(SelectionRanges, PickWordsOfTheThirdPage) {
    EXPECT_EQ(selectedText(*document_.get(), 2, GetParam().ranges), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Ranges, SelectionRanges,
    ::testing::Values(
        RangeCase{"whole_page",
                  {{0, -1}},
                  u"Text sample, page 3\r\nThird page, first line.\r\nThird page, last line.\r\n"},
        RangeCase{"middle_words", {{1, 2}}, u"sample, page "},
        RangeCase{
            "overlaps_once_in_page_order", {{4, 2}, {1, 4}}, u"sample, page 3\r\nThird page, "},
        RangeCase{"past_the_end", {{11, 5}}, u"line.\r\n"},
        RangeCase{"beyond_the_last_word", {{1000, -1}}, u""},
        RangeCase{"empty_length", {{0, 0}}, u""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(PageTextObjects, ReadingEveryPageLoadsTheDocumentOncePerRevision) {
    auto& cache = paginor::engine::text::TextSnapshotCache::shared();
    const std::size_t before = cache.loadCount();
    std::u16string all;
    for (LONG index = 0; index < 3; ++index)
        all += selectedText(*document_.get(), index, {{0, -1}});
    EXPECT_EQ(cache.loadCount(), before + 1);
    EXPECT_NE(all.find(u"Second page: numbers 1, 22, 333 and 4444."), std::u16string::npos);

    // A change is seen by pages acquired before it, at the cost of one reload.
    ComPtr<IDispatch> lastPage;
    ASSERT_EQ(document_->AcquirePage(2, lastPage.put()), S_OK);
    VARIANT_BOOL deleted = VARIANT_FALSE;
    ASSERT_EQ(document_->DeletePages(0, 0, &deleted), S_OK);
    ASSERT_EQ(deleted, VARIANT_TRUE);
    EXPECT_EQ(selectedText(*document_.get(), 0, {{0, 4}}), u"Text sample, page 2\r\n");
    EXPECT_EQ(cache.loadCount(), before + 2);

    ComPtr<IPDPage> stale;
    ASSERT_EQ(lastPage.As(IID_IPDPage, stale), S_OK);
    auto list = HighlightListObject::create();
    IDispatch* selection = nullptr;
    EXPECT_EQ(stale->CreateTextSelection(list.get(), &selection), DISP_E_BADINDEX);
    EXPECT_EQ(lastErrorDescription(), "Page 3 is past the end of the document (2 pages)");
}

TEST_F(PageTextObjects, SelectionNeedsTheEnginesHighlightList) {
    ComPtr<IDispatch> pageObject;
    ASSERT_EQ(document_->AcquirePage(0, pageObject.put()), S_OK);
    ComPtr<IPDPage> page;
    ASSERT_EQ(pageObject.As(IID_IPDPage, page), S_OK);
    IDispatch* selection = nullptr;
    EXPECT_EQ(page->CreateTextSelection(nullptr, &selection), E_POINTER);
    EXPECT_EQ(page->CreateTextSelection(pageObject.get(), &selection), E_INVALIDARG);
    EXPECT_EQ(selection, nullptr);
}

TEST(PageTextCorpus, ScanWithoutTextGivesNoItems) {
    const fs::path scan = corpusFile("text/scanned-2p.pdf");
    if (!fs::exists(scan))
        GTEST_SKIP() << "no text corpus";
    auto document = openDocument(scan);
    LONG count = -1;
    EXPECT_EQ(selectedText(*document.get(), 1, {{0, -1}}, &count), u"");
    EXPECT_EQ(count, 0);
}

// The text document the engine's cache holds for `document` now; the
// cache must already hold it (reading a page put it there).
std::shared_ptr<paginor::engine::text::TextDocument> cachedText(PDDocumentObject& document) {
    auto engineDocument = document.document();
    std::string error;
    return paginor::engine::text::TextSnapshotCache::shared().documentFor(
        engineDocument, engineDocument->revision(),
        [](std::string&) -> std::shared_ptr<paginor::engine::text::TextDocument> {
            ADD_FAILURE() << "the document was loaded again";
            return nullptr;
        },
        error);
}

// One page reading "Printed label", with a text field whose appearance shows
// "Typed value" and a free-text note showing "Sticky note".
void writeFormWithAppearances(const fs::path& file) {
    QPDF pdf;
    pdf.emptyPDF();
    auto font = pdf.makeIndirectObject(QPDFObjectHandle::parse(
        "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica /Encoding /WinAnsiEncoding >>"));
    auto appearance = [&](const std::string& text) {
        auto stream = QPDFObjectHandle::newStream(&pdf, "BT /F1 10 Tf 2 4 Td (" + text + ") Tj ET");
        stream.getDict().replaceKey("/Type", QPDFObjectHandle::newName("/XObject"));
        stream.getDict().replaceKey("/Subtype", QPDFObjectHandle::newName("/Form"));
        stream.getDict().replaceKey("/BBox", QPDFObjectHandle::parse("[0 0 150 20]"));
        auto resources = QPDFObjectHandle::parse("<< /Font << >> >>");
        resources.getKey("/Font").replaceKey("/F1", font);
        stream.getDict().replaceKey("/Resources", resources);
        return stream;
    };
    auto page = pdf.makeIndirectObject(QPDFObjectHandle::parse(
        "<< /Type /Page /MediaBox [0 0 300 300] /Resources << /Font << >> >> >>"));
    page.getKey("/Resources").getKey("/Font").replaceKey("/F1", font);
    page.replaceKey("/Contents", QPDFObjectHandle::newStream(
                                     &pdf, "BT /F1 12 Tf 20 250 Td (Printed label) Tj ET"));
    auto widget = pdf.makeIndirectObject(QPDFObjectHandle::parse(
        "<< /Type /Annot /Subtype /Widget /FT /Tx /T (field) /V (Typed value) /F 4 "
        "/Rect [20 200 170 220] >>"));
    widget.replaceKey("/AP", QPDFObjectHandle::parse("<< >>"));
    widget.getKey("/AP").replaceKey("/N", appearance("Typed value"));
    auto note = pdf.makeIndirectObject(QPDFObjectHandle::parse(
        "<< /Type /Annot /Subtype /FreeText /Contents (Sticky note) /DA (/Helv 10 Tf) /F 4 "
        "/Rect [20 150 170 170] >>"));
    note.replaceKey("/AP", QPDFObjectHandle::parse("<< >>"));
    note.getKey("/AP").replaceKey("/N", appearance("Sticky note"));
    page.replaceKey("/Annots", QPDFObjectHandle::newArray({widget, note}));
    QPDFPageDocumentHelper(pdf).addPage(QPDFPageObjectHelper(page), false);
    auto form = QPDFObjectHandle::parse("<< /Fields [] >>");
    form.getKey("/Fields").appendItem(widget);
    pdf.getRoot().replaceKey("/AcroForm", form);

    QPDFWriter writer(pdf, file.c_str());
    writer.write();
}

// An unchanged document is read by poppler from the very bytes the engine
// opened, loaded once for all its pages, and annotations (field widgets
// included) are not page text; a changed one is read from a fresh snapshot.
TEST(PageTextSource, UnchangedDocumentsAreReadFromTheirOwnBytesWithoutAnnotations) {
    const paginor::test_support::ScratchFolder scratch("paginor-text-form");
    writeFormWithAppearances(scratch / "form.pdf");
    auto document = openDocument(scratch / "form.pdf");
    auto& cache = paginor::engine::text::TextSnapshotCache::shared();
    const std::size_t before = cache.loadCount();

    for (int read = 0; read < 3; ++read)
        EXPECT_EQ(selectedText(*document.get(), 0, {{0, -1}}), u"Printed label\r\n");
    EXPECT_EQ(cache.loadCount(), before + 1);
    auto text = cachedText(*document.get());
    ASSERT_TRUE(text);
    EXPECT_EQ(text->source().get(), document->document()->openedBuffer().get());

    BstrHolder key(u"Title");
    BstrHolder value(u"Changed");
    VARIANT_BOOL set = VARIANT_FALSE;
    ASSERT_EQ(document->SetInfo(key.get(), value.get(), &set), S_OK);
    ASSERT_EQ(set, VARIANT_TRUE);
    EXPECT_EQ(selectedText(*document.get(), 0, {{0, -1}}), u"Printed label\r\n");
    EXPECT_EQ(cache.loadCount(), before + 2);
    text = cachedText(*document.get());
    ASSERT_TRUE(text);
    EXPECT_NE(text->source().get(), document->document()->openedBuffer().get());
}

// A file poppler cannot read as it is (its cross-reference offsets are wrong)
// is read from the snapshot of qpdf's repair instead.
TEST(PageTextSource, FilesPopplerCannotReadFallBackToTheRepairedSnapshot) {
    const fs::path broken = corpusFile("text/broken-offsets-repairable.pdf");
    if (!fs::exists(broken))
        GTEST_SKIP() << "no text corpus";
    auto document = openDocument(broken);
    const std::u16string text = selectedText(*document.get(), 0, {{0, -1}});
    EXPECT_NE(text.find(u"\r\n"), std::u16string::npos);
    auto loaded = cachedText(*document.get());
    ASSERT_TRUE(loaded);
    EXPECT_NE(loaded->source().get(), document->document()->openedBuffer().get());
}

} // namespace
