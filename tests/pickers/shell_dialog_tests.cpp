#include "win/dialog_requests.h"
#include "win/dialog_testing.h"
#include "win/dialogs.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using paginor::win::DialogAnswer;
using paginor::win::DialogKind;
using paginor::win::DialogRequest;
using paginor::win::OutstandingShellAllocations;
using paginor::win::SetScriptedDialogResponder;

class ShellDialogTest : public testing::Test {
protected:
    void Answer(DialogAnswer answer) {
        SetScriptedDialogResponder([this, answer](const DialogRequest& request) {
            requests_.push_back(request);
            return answer;
        });
    }
    void TearDown() override { SetScriptedDialogResponder({}); }

    std::vector<DialogRequest> requests_;
};

int CALLBACK Preselect(HWND window, UINT message, LPARAM, LPARAM data) {
    if (message == BFFM_INITIALIZED) {
        SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
    }
    return 0;
}

struct FolderCase {
    const char* label;
    DialogAnswer answer;
    bool itemExpected;
    BOOL pathFound;
    std::u16string path;
    std::u16string displayName;
};

class FolderPickerTest : public ShellDialogTest, public testing::WithParamInterface<FolderCase> {};

TEST_P(FolderPickerTest, AnswersThroughItemList) {
    Answer(GetParam().answer);
    const std::size_t allocationsBefore = OutstandingShellAllocations();
    std::vector<WCHAR> buffer(MAX_PATH, u'#');
    const std::u16string preselected = u"/srv/data";
    BROWSEINFOW info{};
    info.pszDisplayName = buffer.data();
    info.lpszTitle = u"Select Folder Path";
    info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_RETURNFSANCESTORS;
    info.lpfn = Preselect;
    info.lParam = reinterpret_cast<LPARAM>(preselected.c_str());

    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);

    ASSERT_EQ(requests_.size(), 1u);
    EXPECT_EQ(requests_[0].kind, DialogKind::Folder);
    EXPECT_EQ(requests_[0].title, u"Select Folder Path");
    EXPECT_EQ(requests_[0].initialFolder, preselected);
    EXPECT_EQ(requests_[0].flags, 9u);
    ASSERT_EQ(item != nullptr, GetParam().itemExpected);
    if (item == nullptr) {
        return;
    }
    EXPECT_EQ(std::u16string(buffer.data()), GetParam().displayName);
    EXPECT_EQ(SHGetPathFromIDListW(item, buffer.data()), GetParam().pathFound);
    EXPECT_EQ(std::u16string(buffer.data()), GetParam().path);

    IMalloc* allocator = nullptr;
    ASSERT_EQ(SHGetMalloc(&allocator), S_OK);
    EXPECT_EQ(OutstandingShellAllocations(), allocationsBefore + 1);
    allocator->Free(item);
    allocator->Release();
    EXPECT_EQ(OutstandingShellAllocations(), allocationsBefore);
}

INSTANTIATE_TEST_SUITE_P(
    Answers, FolderPickerTest,
    testing::Values(FolderCase{"folder", u"/srv/data/in", true, TRUE, u"/srv/data/in", u"in"},
                    FolderCase{"trailing_slash", u"/srv/out/", true, TRUE, u"/srv/out/", u"out"},
                    FolderCase{"root", u"/", true, TRUE, u"/", u"/"},
                    // A place that is not a folder on disk has no path.
                    FolderCase{"virtual_place", u"Network", true, FALSE, u"", u"Network"},
                    FolderCase{"too_long", u"/" + std::u16string(MAX_PATH, u'a'), true, FALSE, u"",
                               std::u16string(MAX_PATH - 1, u'a')},
                    FolderCase{"cancelled", std::nullopt, false, FALSE, u"", u""}),
    [](const auto& info) { return std::string(info.param.label); });

TEST_F(ShellDialogTest, PickerWithoutCallbackPreselectsNothing) {
    Answer(u"/x");
    BROWSEINFOW info{};
    info.lpszTitle = u"T";
    IMalloc* allocator = nullptr;
    ASSERT_EQ(SHGetMalloc(&allocator), S_OK);
    allocator->Free(SHBrowseForFolderW(&info));
    allocator->Release();
    ASSERT_EQ(requests_.size(), 1u);
    EXPECT_EQ(requests_[0].initialFolder, u"");
}

TEST_F(ShellDialogTest, MessagesToOtherWindowsAreIgnored) {
    int notAWindow = 0;
    EXPECT_EQ(SendMessageW(reinterpret_cast<HWND>(&notAWindow), BFFM_SETSELECTIONW, TRUE,
                           reinterpret_cast<LPARAM>(u"/x")),
              0);
}

TEST_F(ShellDialogTest, AllocatorCanBeMadeUnavailable) {
    paginor::win::SimulateShellAllocatorFailure(true);
    IMalloc* allocator = reinterpret_cast<IMalloc*>(1);
    EXPECT_TRUE(FAILED(SHGetMalloc(&allocator)));
    EXPECT_EQ(allocator, nullptr);
    paginor::win::SimulateShellAllocatorFailure(false);
}

struct FileCase {
    const char* label;
    DialogAnswer answer;
    INT_PTR expectedResult;
    std::u16string expectedPath;
};

class FileDialogTest : public ShellDialogTest, public testing::WithParamInterface<FileCase> {};

TEST_P(FileDialogTest, ReportsThePathName) {
    Answer(GetParam().answer);
    CFileDialog dialog(TRUE, nullptr, nullptr, OFN_EXPLORER, u"Acrobat Files (*.PDF)|*.pdf",
                       nullptr);
    EXPECT_EQ(dialog.DoModal(), GetParam().expectedResult);
    EXPECT_EQ(dialog.GetPathName(), GetParam().expectedPath);
    ASSERT_EQ(requests_.size(), 1u);
    EXPECT_EQ(requests_[0].kind, DialogKind::OpenFile);
    EXPECT_EQ(requests_[0].filter, u"Acrobat Files (*.PDF)|*.pdf");
    EXPECT_EQ(requests_[0].flags, 0x80000u);
}

INSTANTIATE_TEST_SUITE_P(Answers, FileDialogTest,
                         testing::Values(FileCase{"chosen", u"/a/b.pdf", IDOK, u"/a/b.pdf"},
                                         FileCase{"cancelled", std::nullopt, IDCANCEL, u""},
                                         FileCase{"empty_answer", u"", IDCANCEL, u""}),
                         [](const auto& info) { return std::string(info.param.label); });

} // namespace
