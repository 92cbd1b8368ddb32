// Inserting pages: page order, outline items and form fields after the copy,
// as qpdf --json reports them on the saved result.
#include "automation_contract/automation_values.h"
#include "engine_test_support.h"
#include "qpdf_json_report.h"

#include <gtest/gtest.h>
#include <qpdf/QPDF.hh>

#include <algorithm>

namespace engine_test {
namespace {

// The first line of text on a page, as pdftotext reads it.
std::string firstLine(const fs::path& file, int page) {
    const std::string text = runProgram(
        {"pdftotext", "-f", std::to_string(page), "-l", std::to_string(page), file.string(), "-"});
    return text.substr(0, text.find('\n'));
}

struct InsertionCase {
    std::string name;
    std::string target;
    std::string source;
    LONG after;
    LONG start;
    LONG count;
    bool bookmarks;
    std::vector<std::string> firstLines; // of every resulting page
    std::vector<OutlineEntry> outline;
    std::vector<FieldEntry> fields;
};

const std::vector<std::string> kTextPages{"Text sample, page 1", "Text sample, page 2",
                                          "Text sample, page 3"};

std::vector<std::string> join(std::vector<std::string> a, const std::vector<std::string>& b,
                              std::size_t at) {
    a.insert(a.begin() + static_cast<long>(at), b.begin(), b.end());
    return a;
}

const std::vector<FieldEntry> kFormFields{{"name", 1},    {"address", 1}, {"subscribe", 1},
                                          {"plan", 1},    {"plan", 1},    {"plan", 1},
                                          {"country", 2}, {"colours", 2}};

std::vector<FieldEntry> shifted(std::vector<FieldEntry> fields, int by, const std::string& suffix) {
    for (auto& field : fields) {
        field.page += by;
        field.name += suffix;
    }
    return fields;
}

std::vector<FieldEntry> concat(std::vector<FieldEntry> a, const std::vector<FieldEntry>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

const std::vector<InsertionCase> kInsertions{
    {"MiddlePagesWithoutOutline",
     "text.pdf",
     "bookmarks.pdf",
     0,
     1,
     2,
     false,
     join(kTextPages, {"Chapter 1, continued", "Chapter 2: Middles"}, 1),
     {},
     {}},
    {"MiddlePagesWithOutline",
     "text.pdf",
     "bookmarks.pdf",
     0,
     1,
     2,
     true,
     join(kTextPages, {"Chapter 1, continued", "Chapter 2: Middles"}, 1),
     {{"Section 1.2", 2, 0}, {"Chapter 2", 3, 0}},
     {}},
    {"AppendEverythingWithOutline",
     "text.pdf",
     "bookmarks.pdf",
     2,
     0,
     6,
     true,
     join(kTextPages,
          {"Chapter 1: Beginnings", "Chapter 1, continued", "Chapter 2: Middles",
           "Chapter 2, continued", "Chapter 3: Endings", "Appendix"},
          3),
     {{"Chapter 1", 4, 0},
      {"Section 1.1", 4, 1},
      {"Section 1.2", 5, 1},
      {"Chapter 2", 6, 0},
      {"Section 2.1", 7, 1},
      {"Chapter 3", 8, 0},
      {"Appendix", 9, 0}},
     {}},
    // The page count itself (what the plug-in's inclusive bound lets through)
    // means after the last page.
    {"AtThePageCountAfterTheLastPage",
     "text.pdf",
     "bookmarks.pdf",
     3,
     0,
     1,
     false,
     join(kTextPages, {"Chapter 1: Beginnings"}, 3),
     {},
     {}},
    {"BeforeTheFirstPageKeepsTheFields",
     "text.pdf",
     "sample-form.pdf",
     -1,
     1,
     1,
     false,
     join(kTextPages, {"Membership application"}, 0),
     {},
     {{"country", 1}, {"colours", 1}}},
    {"IntoAnOutlineAfterItsItems",
     "bookmarks.pdf",
     "bookmarks.pdf",
     5,
     4,
     1,
     true,
     {"Chapter 1: Beginnings", "Chapter 1, continued", "Chapter 2: Middles", "Chapter 2, continued",
      "Chapter 3: Endings", "Appendix", "Chapter 3: Endings"},
     {{"Chapter 1", 1, 0},
      {"Section 1.1", 1, 1},
      {"Section 1.2", 2, 1},
      {"Chapter 2", 3, 0},
      {"Section 2.1", 4, 1},
      {"Chapter 3", 5, 0},
      {"Appendix", 6, 0},
      {"Chapter 3", 7, 0}},
     {}},
    // Every clashing field arrives renamed with "+1"; none is merged.
    {"AFormIntoItselfRenamesTheNewcomers",
     "sample-form.pdf",
     "sample-form.pdf",
     1,
     0,
     2,
     false,
     {"Membership application", "Membership application", "Membership application",
      "Membership application"},
     {},
     concat(kFormFields, shifted(kFormFields, 2, "+1"))},
};

class PageInsertion : public ::testing::TestWithParam<InsertionCase> {};

TEST_P(PageInsertion, CopiesPagesOutlineAndFields) {
    const InsertionCase& c = GetParam();
    ScratchFolder folder;
    const auto output = folder / "result.pdf";
    auto target = openDocument(examplePath(c.target));
    auto source = openDocument(examplePath(c.source));
    VARIANT_BOOL answer = VARIANT_FALSE;
    ASSERT_EQ(
        target->InsertPages(c.after, source.get(), c.start, c.count, c.bookmarks ? 1 : 0, &answer),
        S_OK)
        << lastErrorDescription();
    ASSERT_EQ(answer, VARIANT_TRUE);
    EXPECT_EQ(pageCount(target.get()), static_cast<long>(c.firstLines.size()));
    ASSERT_TRUE(save(target.get(), 3, output)) << lastErrorDescription();

    const QpdfReport report = qpdfReport(output);
    ASSERT_TRUE(report.ok);
    EXPECT_EQ(report.pages, static_cast<int>(c.firstLines.size()));
    for (std::size_t i = 0; i < c.firstLines.size(); ++i) {
        EXPECT_EQ(firstLine(output, static_cast<int>(i + 1)), c.firstLines[i]) << "page " << i + 1;
    }
    if (c.target != "bookmarks.pdf" || c.bookmarks) {
        EXPECT_EQ(report.outline, c.outline);
    }
    if (c.target != "sample-form.pdf" || !c.fields.empty()) {
        EXPECT_EQ(report.fields, c.fields);
    }
    int checkExit = -1;
    runProgram({"qpdf", "--check", output.string()}, &checkExit);
    EXPECT_EQ(checkExit, 0) << "qpdf --check finds problems";
}

INSTANTIATE_TEST_SUITE_P(Cases, PageInsertion, ::testing::ValuesIn(kInsertions),
                         [](const auto& info) { return info.param.name; });

struct RefusedCase {
    std::string name;
    LONG after;
    LONG start;
    LONG count;
};

class RefusedInsertion : public ::testing::TestWithParam<RefusedCase> {};

// text.pdf has 3 pages, bookmarks.pdf 6.
TEST_P(RefusedInsertion, AnswersFalseAndChangesNothing) {
    const RefusedCase& c = GetParam();
    auto target = openDocument(examplePath("text.pdf"));
    auto source = openDocument(examplePath("bookmarks.pdf"));
    VARIANT_BOOL answer = VARIANT_TRUE;
    ASSERT_EQ(target->InsertPages(c.after, source.get(), c.start, c.count, 1, &answer), S_OK);
    EXPECT_EQ(answer, VARIANT_FALSE);
    EXPECT_EQ(pageCount(target.get()), 3);
}

INSTANTIATE_TEST_SUITE_P(Ranges, RefusedInsertion,
                         ::testing::Values(RefusedCase{"AfterPastThePageCount", 4, 0, 1},
                                           RefusedCase{"AfterBelowMinusOne", -2, 0, 1},
                                           RefusedCase{"StartNegative", 0, -1, 1},
                                           RefusedCase{"StartPastTheEnd", 0, 6, 1},
                                           RefusedCase{"CountPastTheEnd", 0, 2, 5},
                                           RefusedCase{"CountNegative", 0, 0, -1}),
                         [](const auto& info) { return info.param.name; });

TEST(PageInsertionSource, ASourceThatIsNotOpenAnswersFalse) {
    auto target = openDocument(examplePath("text.pdf"));
    auto source = newDocument();
    VARIANT_BOOL answer = VARIANT_TRUE;
    ASSERT_EQ(target->InsertPages(0, source.get(), 0, 1, 0, &answer), S_OK);
    EXPECT_EQ(answer, VARIANT_FALSE);
    ASSERT_EQ(target->InsertPages(0, nullptr, 0, 1, 0, &answer), S_OK);
    EXPECT_EQ(answer, VARIANT_FALSE);
    EXPECT_EQ(pageCount(target.get()), 3);
}

TEST(PageInsertionSource, TheSameSourceObjectCanBeInsertedTwice) {
    auto target = openDocument(examplePath("text.pdf"));
    auto source = openDocument(examplePath("sample-form.pdf"));
    for (int round = 0; round < 2; ++round) {
        VARIANT_BOOL answer = VARIANT_FALSE;
        ASSERT_EQ(target->InsertPages(pageCount(target.get()) - 1, source.get(), 0, 2, 0, &answer),
                  S_OK);
        ASSERT_EQ(answer, VARIANT_TRUE);
    }
    ScratchFolder folder;
    ASSERT_TRUE(save(target.get(), 3, folder / "twice.pdf"));
    const QpdfReport report = qpdfReport(folder / "twice.pdf");
    EXPECT_EQ(report.pages, 7);
    EXPECT_EQ(report.fieldNames(),
              (std::vector<std::string>{"name", "address", "subscribe", "plan", "country",
                                        "colours", "name+1", "address+1", "subscribe+1", "plan+1",
                                        "country+1", "colours+1"}));
}

} // namespace
} // namespace engine_test

namespace engine_test {
namespace {

// Every corpus form appended to a plain document keeps all its pages and
// every field name it had (none clash with the plain document's none).
TEST(PageInsertionCorpus, FormsArriveWithAllTheirFields) {
    auto folder = corpusFolder();
    if (!folder || !fs::is_directory(*folder / "forms")) {
        GTEST_SKIP() << "no corpus (set PAGINOR_CORPUS or put it beside the repository)";
    }
    ScratchFolder scratch;
    for (const auto& entry : fs::directory_iterator(*folder / "forms")) {
        const fs::path form = entry.path();
        const QpdfReport before = qpdfReport(form);
        if (!before.ok) {
            continue;
        }
        auto target = openDocument(examplePath("text.pdf"));
        auto source = openDocument(form);
        const long sourcePages = pageCount(source.get());
        VARIANT_BOOL answer = VARIANT_FALSE;
        ASSERT_EQ(target->InsertPages(2, source.get(), 0, sourcePages, 1, &answer), S_OK)
            << form << ": " << lastErrorDescription();
        ASSERT_EQ(answer, VARIANT_TRUE) << form;
        const auto output = scratch / form.filename().string();
        ASSERT_TRUE(save(target.get(), 3, output)) << form << ": " << lastErrorDescription();
        const QpdfReport after = qpdfReport(output);
        EXPECT_EQ(after.pages, 3 + sourcePages) << form;
        auto expected = before.fieldNames();
        auto actual = after.fieldNames();
        std::sort(expected.begin(), expected.end());
        std::sort(actual.begin(), actual.end());
        EXPECT_EQ(actual, expected) << form;
    }
}

} // namespace
} // namespace engine_test

namespace engine_test {
namespace {

// The items visible under `parent` (all descendants of open items), checking
// on the way that each list's /Last is its last item and /Prev links back.
int visibleItems(QPDFObjectHandle parent) {
    int visible = 0;
    QPDFObjectHandle previous;
    for (QPDFObjectHandle item = parent.getKey("/First"); item.isDictionary();
         item = item.getKey("/Next")) {
        if (previous.isInitialized()) {
            EXPECT_EQ(item.getKey("/Prev").getObjGen(), previous.getObjGen());
        }
        QPDFObjectHandle count = item.getKey("/Count");
        const int below = visibleItems(item);
        visible += 1 + (!count.isInteger() || count.getIntValue() >= 0 ? below : 0);
        previous = item;
    }
    if (previous.isInitialized()) {
        EXPECT_EQ(parent.getKey("/Last").getObjGen(), previous.getObjGen());
    }
    return visible;
}

// Appending one file after the other reuses what the engine knows of the
// target (its form's field names, its outline as last written); a change in
// between makes it read them afresh. Both ways give the same document.
class RepeatedAppends : public ::testing::TestWithParam<bool> {};

TEST_P(RepeatedAppends, GiveTheOutlineAndFieldNamesOfAppendingOneAtATime) {
    const bool changeBetween = GetParam();
    ScratchFolder folder;
    const QpdfReport bookmarks = qpdfReport(examplePath("bookmarks.pdf"));
    const QpdfReport form = qpdfReport(examplePath("sample-form.pdf"));
    ASSERT_TRUE(bookmarks.ok && form.ok);
    constexpr int kAppends = 3;

    auto target = openDocument(examplePath("bookmarks.pdf"));
    for (int round = 0; round < kAppends; ++round) {
        for (const char* name : {"bookmarks.pdf", "sample-form.pdf"}) {
            auto source = openDocument(examplePath(name));
            VARIANT_BOOL answer = VARIANT_FALSE;
            ASSERT_EQ(target->InsertPages(pageCount(target.get()) - 1, source.get(), 0,
                                          pageCount(source.get()), 1, &answer),
                      S_OK)
                << lastErrorDescription();
            ASSERT_EQ(answer, VARIANT_TRUE);
            if (changeBetween) {
                ASSERT_EQ(target->SetInfo(bstr("Title").get(), bstr(name).get(), &answer), S_OK);
            }
        }
    }
    const auto output = folder / "appended.pdf";
    ASSERT_TRUE(save(target.get(), kSaveFull | kSaveCopy, output)) << lastErrorDescription();
    const QpdfReport report = qpdfReport(output);
    ASSERT_TRUE(report.ok);

    const int block = bookmarks.pages + form.pages;
    std::vector<OutlineEntry> outline = bookmarks.outline;
    std::vector<std::string> names;
    for (int round = 0; round < kAppends; ++round) {
        for (OutlineEntry entry : bookmarks.outline) {
            entry.page += bookmarks.pages + round * block;
            outline.push_back(entry);
        }
        const std::string suffix = round == 0 ? "" : "+" + std::to_string(round);
        for (const std::string& name : form.fieldNames()) {
            names.push_back(name + suffix);
        }
    }
    EXPECT_EQ(report.pages, bookmarks.pages + kAppends * block);
    EXPECT_EQ(report.outline, outline);
    EXPECT_EQ(report.fieldNames(), names);
    QPDF saved;
    saved.processFile(output.c_str());
    QPDFObjectHandle root = saved.getRoot().getKey("/Outlines");
    EXPECT_EQ(root.getKey("/Count").getIntValue(), visibleItems(root));
    int checkExit = -1;
    runProgram({"qpdf", "--check", output.string()}, &checkExit);
    EXPECT_EQ(checkExit, 0);
}

INSTANTIATE_TEST_SUITE_P(ChangesBetween, RepeatedAppends, ::testing::Bool(),
                         [](const auto& info) { return info.param ? "Changed" : "Unchanged"; });

} // namespace
} // namespace engine_test
