// The page and text-selection objects as the plug-in drives them: acquire a
// page, fill a highlight list, build a selection, read its items.
#include "engine/automation/highlight_list_object.h"
#include "engine/automation/pd_document_object.h"
#include "engine/document/engine_document.h"
#include "engine/text/text_snapshot_cache.h"

#include "com/bstr_holder.h"
#include "support/corpus.h"
#include "support/repository_paths.h"
#include "text_encoding/utf_conversion.h"

#include <gtest/gtest.h>

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

TEST_F(PageTextObjects, PagesOutsideTheDocumentFailWithIndexAndCount) {
    for (LONG index : {3, -1, 100000}) {
        IDispatch* page = reinterpret_cast<IDispatch*>(0x1);
        EXPECT_EQ(document_->AcquirePage(index, &page), DISP_E_BADINDEX);
        EXPECT_EQ(page, nullptr);
        const std::string description = lastErrorDescription();
        EXPECT_NE(description.find("Page index " + std::to_string(index)), std::string::npos)
            << description;
        EXPECT_NE(description.find("3 pages"), std::string::npos) << description;
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
    EXPECT_NE(lastErrorDescription().find("2 pages"), std::string::npos);
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

} // namespace
