// Deleting pages: what pointed at them (outline items, named destinations,
// form fields) goes with them, as qpdf --json reports the saved result.
#include "automation_contract/automation_values.h"
#include "engine_test_support.h"
#include "qpdf_json_report.h"

#include <gtest/gtest.h>
#include <qpdf/QPDF.hh>

namespace engine_test {
namespace {

struct DeletionCase {
    std::string name;
    std::string file;
    LONG first;
    LONG last;
    int pages;
    std::vector<OutlineEntry> outline;
    std::vector<FieldEntry> fields;
};

const std::vector<DeletionCase> kDeletions{
    {"FirstChapterGoesWithItsItems",
     "bookmarks.pdf",
     0,
     1,
     4,
     {{"Chapter 2", 1, 0}, {"Section 2.1", 2, 1}, {"Chapter 3", 3, 0}, {"Appendix", 4, 0}},
     {}},
    // Chapter 2 keeps its place (without destination) for its remaining section.
    {"AnItemWithChildrenLosesOnlyItsDestination",
     "bookmarks.pdf",
     2,
     2,
     5,
     {{"Chapter 1", 1, 0},
      {"Section 1.1", 1, 1},
      {"Section 1.2", 2, 1},
      {"Chapter 2", 0, 0},
      {"Section 2.1", 3, 1},
      {"Chapter 3", 4, 0},
      {"Appendix", 5, 0}},
     {}},
    {"ANamedDestinationGoesToo",
     "bookmarks.pdf",
     4,
     4,
     5,
     {{"Chapter 1", 1, 0},
      {"Section 1.1", 1, 1},
      {"Section 1.2", 2, 1},
      {"Chapter 2", 3, 0},
      {"Section 2.1", 4, 1},
      {"Appendix", 5, 0}},
     {}},
    {"FormFieldsOfTheFirstPageLeaveTheForm",
     "sample-form.pdf",
     0,
     0,
     1,
     {},
     {{"country", 1}, {"colours", 1}}},
    {"FormFieldsOfTheLastPageLeaveTheForm",
     "sample-form.pdf",
     1,
     1,
     1,
     {},
     {{"name", 1}, {"address", 1}, {"subscribe", 1}, {"plan", 1}, {"plan", 1}, {"plan", 1}}},
};

class PageDeletion : public ::testing::TestWithParam<DeletionCase> {};

TEST_P(PageDeletion, RemovesPagesAndWhatPointedAtThem) {
    const DeletionCase& c = GetParam();
    ScratchFolder folder;
    auto document = openDocument(examplePath(c.file));
    VARIANT_BOOL answer = VARIANT_FALSE;
    ASSERT_EQ(document->DeletePages(c.first, c.last, &answer), S_OK) << lastErrorDescription();
    ASSERT_EQ(answer, VARIANT_TRUE);
    EXPECT_EQ(pageCount(document.get()), c.pages);
    ASSERT_TRUE(save(document.get(), kSaveFull | kSaveCopy, folder / "result.pdf"));
    const QpdfReport report = qpdfReport(folder / "result.pdf");
    ASSERT_TRUE(report.ok);
    EXPECT_EQ(report.pages, c.pages);
    EXPECT_EQ(report.outline, c.outline);
    EXPECT_EQ(report.fields, c.fields);
    // Nothing still refers to the removed pages, so they are not written at all.
    QPDF written;
    written.processFile((folder / "result.pdf").c_str());
    int pageObjects = 0;
    for (auto& object : written.getAllObjects()) {
        if (object.isDictionary() && object.getKey("/Type").isNameAndEquals("/Page")) {
            ++pageObjects;
        }
    }
    EXPECT_EQ(pageObjects, c.pages);
    int checkExit = -1;
    runProgram({"qpdf", "--check", (folder / "result.pdf").string()}, &checkExit);
    EXPECT_EQ(checkExit, 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, PageDeletion, ::testing::ValuesIn(kDeletions),
                         [](const auto& info) { return info.param.name; });

TEST(PageDeletion, RefusesRangesOutsideTheDocumentOrLeavingNoPageAndSaysWhy) {
    const std::vector<std::tuple<LONG, LONG, std::string>> ranges{
        {-1, 0, "Cannot delete pages 0 to 1: the document has 6 pages"},
        {2, 1, "Cannot delete pages 3 to 2: the document has 6 pages"},
        {0, 6, "Cannot delete pages 1 to 7: the document has 6 pages"},
        {6, 6, "Cannot delete page 7: the document has 6 pages"},
        {0, 5, "Cannot delete pages 1 to 6: that would leave the document without a page"}};
    auto document = openDocument(examplePath("bookmarks.pdf"));
    for (const auto& [first, last, reason] : ranges) {
        VARIANT_BOOL answer = VARIANT_TRUE;
        ASSERT_EQ(document->DeletePages(first, last, &answer), kStatusOperationNotDone);
        EXPECT_EQ(answer, VARIANT_FALSE) << first << ".." << last;
        EXPECT_EQ(lastErrorDescription(), reason);
    }
    EXPECT_EQ(pageCount(document.get()), 6);
}

} // namespace
} // namespace engine_test
