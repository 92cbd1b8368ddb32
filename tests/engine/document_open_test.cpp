// Opening files: the samples, and every file of the corpus (which must open
// or answer false, never crash), with page counts as qpdf reports them.
#include "engine_test_support.h"

#include "automation_contract/automation_values.h"

#include "engine/automation/pd_document_object.h"
#include "engine/document/engine_document.h"
#include "support/broken_page_trees.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace engine_test {
namespace {

TEST(DocumentOpen, SamplesOpenWithTheirPageCounts) {
    const std::vector<std::pair<std::string, long>> samples{
        {"sample-form.pdf", 2}, {"bookmarks.pdf", 6}, {"text.pdf", 3}};
    for (const auto& [name, pages] : samples) {
        auto document = openDocument(examplePath(name));
        EXPECT_EQ(pageCount(document.get()), pages) << name;
    }
}

// qpdf --show-npages prints the page tree's /Count; answers -1 when qpdf
// cannot open the file or the count does not fit.
long qpdfPageCount(const fs::path& file) {
    int exitCode = -1;
    const std::string output = runProgram({"qpdf", "--show-npages", file.string()}, &exitCode);
    if ((exitCode != 0 && exitCode != 3) || output.empty()) {
        return -1;
    }
    const long long count = std::strtoll(output.c_str(), nullptr, 10);
    return count > 0 && count < 1000000 ? static_cast<long>(count) : -1;
}

class BrokenPageTreeOpen : public ::testing::TestWithParam<paginor::test_support::BrokenPageTree> {
};

// Opening one would show no page, save a file without /Pages and append
// nothing; it is refused with the reason.
TEST_P(BrokenPageTreeOpen, IsRefusedWithTheReason) {
    const auto& broken = GetParam();
    try {
        paginor::engine::EngineDocument::loadFromMemory(broken.bytes, broken.name);
        ADD_FAILURE() << broken.name << " opened";
    } catch (const paginor::engine::DocumentLoadError& error) {
        EXPECT_NE(std::string(error.what()).find("the document has no usable page tree"),
                  std::string::npos)
            << error.what();
    }
    ScratchFolder folder;
    const fs::path file = folder / (broken.name + ".pdf");
    paginor::test_support::writeFile(file, broken.bytes);
    auto document = newDocument();
    VARIANT_BOOL opened = VARIANT_TRUE;
    ASSERT_EQ(document->Open(bstr(file.string()).get(), &opened), kStatusOperationNotDone);
    EXPECT_EQ(opened, VARIANT_FALSE);
    auto* object = paginor::engine::PDDocumentObject::fromDispatch(document.get());
    ASSERT_NE(object, nullptr);
    EXPECT_NE(object->lastOpenFailure().find("no usable page tree"), std::string::npos)
        << object->lastOpenFailure();
}

INSTANTIATE_TEST_SUITE_P(Trees, BrokenPageTreeOpen,
                         ::testing::ValuesIn(paginor::test_support::brokenPageTrees()),
                         [](const auto& info) { return info.param.name; });

TEST(DocumentOpen, EveryCorpusFileOpensOrAnswersFalse) {
    const auto files = allCorpusFiles();
    if (files.empty()) {
        GTEST_SKIP() << "no corpus (set PAGINOR_CORPUS or put it beside the repository)";
    }
    int opened = 0;
    for (const auto& file : files) {
        auto document = newDocument();
        if (!openInto(document.get(), file)) {
            // Only files qpdf itself finds errors in (not just warnings) may be refused.
            int checkExit = -1;
            runProgram({"qpdf", "--check", file.string()}, &checkExit);
            EXPECT_EQ(checkExit, 2) << "refused although qpdf finds no error: " << file;
            continue;
        }
        ++opened;
        const long expected = qpdfPageCount(file);
        if (expected > 0) {
            EXPECT_EQ(pageCount(document.get()), expected) << file;
        }
    }
    std::cout << "[ corpus   ] " << opened << " of " << files.size() << " files opened\n";
}

} // namespace
} // namespace engine_test
