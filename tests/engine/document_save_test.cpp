// Saving: over the open file again and again, as a copy or not, linearised,
// and failing cleanly where the folder cannot be written.
#include "automation_contract/automation_values.h"
#include "engine_test_support.h"
#include "qpdf_json_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sys/fsuid.h>
#include <sys/stat.h>
#include <unistd.h>

namespace engine_test {
namespace {

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> folderEntries(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

TEST(DocumentSave, OverTheOpenFileThreeTimesInARow) {
    ScratchFolder folder;
    const auto path = folder / "form.pdf";
    fs::copy_file(examplePath("sample-form.pdf"), path);
    auto document = openDocument(path);
    for (int round = 1; round <= 3; ++round) {
        VARIANT_BOOL answer = VARIANT_FALSE;
        const std::string title = "Round " + std::to_string(round);
        ASSERT_EQ(document->SetInfo(bstr("Title").get(), bstr(title).get(), &answer), S_OK);
        if (round == 1) {
            ASSERT_EQ(document->DeletePages(1, 1, &answer), S_OK);
            ASSERT_EQ(answer, VARIANT_TRUE);
        }
        ASSERT_TRUE(save(document.get(), kSaveFull, "")) << lastErrorDescription();
        auto reread = openDocument(path);
        EXPECT_EQ(info(reread.get(), "Title"), title);
        EXPECT_EQ(pageCount(reread.get()), 1);
    }
    EXPECT_EQ(folderEntries(folder.path()), std::vector<std::string>{"form.pdf"});
}

TEST(DocumentSave, ACopyLeavesTheDocumentBoundToItsFileAFullSaveMovesIt) {
    ScratchFolder folder;
    const auto original = folder / "original.pdf";
    fs::copy_file(examplePath("text.pdf"), original);
    const std::string originalBytes = readFile(original);
    auto document = openDocument(original);
    VARIANT_BOOL answer = VARIANT_FALSE;
    ASSERT_EQ(document->SetInfo(bstr("Title").get(), bstr("changed").get(), &answer), S_OK);

    ASSERT_TRUE(save(document.get(), kSaveFull | kSaveCopy, folder / "copy.pdf"));
    EXPECT_EQ(readFile(original), originalBytes);
    ASSERT_TRUE(save(document.get(), kSaveFull, "")); // back to the original
    EXPECT_NE(readFile(original), originalBytes);

    ASSERT_TRUE(save(document.get(), kSaveFull, folder / "moved.pdf")); // full save elsewhere
    const std::string afterMove = readFile(original);
    ASSERT_TRUE(save(document.get(), kSaveFull, "")); // now goes to moved.pdf
    EXPECT_EQ(readFile(original), afterMove);
    EXPECT_EQ(folderEntries(folder.path()),
              (std::vector<std::string>{"copy.pdf", "moved.pdf", "original.pdf"}));
}

TEST(DocumentSave, LinearisedOutputIsLinearised) {
    ScratchFolder folder;
    auto document = openDocument(examplePath("bookmarks.pdf"));
    ASSERT_TRUE(
        save(document.get(), kSaveFull | kSaveCopy | kSaveLinearized, folder / "linear.pdf"));
    int exitCode = -1;
    const std::string output =
        runProgram({"qpdf", "--check-linearization", (folder / "linear.pdf").string()}, &exitCode);
    EXPECT_EQ(exitCode, 0) << output;
    EXPECT_EQ(qpdfReport(folder / "linear.pdf").outline.size(), 7u);
}

// Root may write anywhere; dropping the file-system identity for the
// duration makes permission checks apply to this thread as to a user.
class FileSystemIdentity {
public:
    FileSystemIdentity() {
        if (::geteuid() == 0) {
            ::setfsuid(65534);
            dropped_ = true;
        }
    }
    ~FileSystemIdentity() {
        if (dropped_) {
            ::setfsuid(0);
        }
    }

private:
    bool dropped_ = false;
};

struct FailedSaveCase {
    std::string name;
    std::string target; // relative to the scratch folder
    HRESULT status;
    std::string reason;
};

class FailedSave : public ::testing::TestWithParam<FailedSaveCase> {};

TEST_P(FailedSave, LeavesTheOldFileAndNoTemporaryFile) {
    const FailedSaveCase& c = GetParam();
    ScratchFolder folder;
    fs::create_directory(folder / "locked");
    fs::copy_file(examplePath("text.pdf"), folder / "locked" / "old.pdf");
    std::ofstream(folder / "plain-file") << "x";
    ::chmod((folder / "locked").c_str(), 0555);
    ::chmod(folder.path().c_str(), 0755);
    const std::string oldBytes = readFile(folder / "locked" / "old.pdf");

    auto document = openDocument(examplePath("sample-form.pdf"));
    const fs::path target = folder / c.target;
    VARIANT_BOOL answer = VARIANT_TRUE;
    HRESULT status = S_OK;
    {
        FileSystemIdentity asUser;
        status = document->Save(kSaveFull, bstr(target.string()).get(), &answer);
    }
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(answer, VARIANT_FALSE);
    EXPECT_EQ(lastErrorDescription(), "Cannot write " + target.string() + ": " + c.reason);
    EXPECT_EQ(readFile(folder / "locked" / "old.pdf"), oldBytes);
    EXPECT_EQ(folderEntries(folder / "locked"), std::vector<std::string>{"old.pdf"});
}

INSTANTIATE_TEST_SUITE_P(
    Targets, FailedSave,
    ::testing::Values(
        FailedSaveCase{"ReadOnlyFolder", "locked/old.pdf", E_ACCESSDENIED, "Permission denied"},
        FailedSaveCase{"MissingFolder", "missing/out.pdf", static_cast<HRESULT>(0x80070003),
                       "No such file or directory"},
        FailedSaveCase{"FolderIsAFile", "plain-file/out.pdf", static_cast<HRESULT>(0x80070003),
                       "Not a directory"},
        FailedSaveCase{"TargetIsAFolder", "locked", E_ACCESSDENIED, "Is a directory"}),
    [](const auto& info) { return info.param.name; });

} // namespace
} // namespace engine_test
