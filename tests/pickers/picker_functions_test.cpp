// QELT_FileBrowse and QELT_FolderBrowse through the host, answered by the
// scripted responder, and through fmcalc --dialog-answer.
#include "plugin_host.h"
#include "support/fmcalc_runner.h"
#include "win/dialog_requests.h"
#include "win/dialog_testing.h"
#include "win/dialogs.h"

#include <gtest/gtest.h>

#include <functional>

namespace {

using paginor::win::DialogAnswer;
using paginor::win::DialogKind;
using paginor::win::DialogRequest;
using plugin_host::Utf8;

class Pickers : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(host_.Init(), 53); }
    void TearDown() override {
        paginor::win::SetScriptedDialogResponder({});
        paginor::win::SimulateShellAllocatorFailure(false);
    }

    void Answer(DialogAnswer answer) {
        paginor::win::SetScriptedDialogResponder([this, answer](const DialogRequest& request) {
            requests_.push_back(request);
            return answer;
        });
    }

    std::string Call(const std::string& function,
                     std::initializer_list<plugin_host::Param> params) {
        const plugin_host::CallResult result = host_.Call(function, params);
        EXPECT_TRUE(result.admitted);
        EXPECT_EQ(result.hostError, 0);
        return Utf8(result.text);
    }
    std::string LastError() {
        return std::to_string(static_cast<int>(host_.LastErrorNumber())) + " " +
               Utf8(host_.LastErrorText());
    }

    plugin_host::PluginHost host_;
    std::vector<DialogRequest> requests_;
};

struct FolderRow {
    std::string name;
    std::string preselected;
    DialogAnswer answer;
    std::string result;
};

class FolderBrowse : public Pickers, public ::testing::WithParamInterface<FolderRow> {};

TEST_P(FolderBrowse, ReturnsTheChosenFolder) {
    Answer(GetParam().answer);
    const std::size_t allocations = paginor::win::OutstandingShellAllocations();
    EXPECT_EQ(Call("QELT_FolderBrowse", {GetParam().preselected}), GetParam().result);
    EXPECT_EQ(LastError(), "0 Success");
    ASSERT_EQ(requests_.size(), 1u);
    EXPECT_EQ(requests_[0].kind, DialogKind::Folder);
    EXPECT_EQ(requests_[0].title, u"Select Folder Path");
    EXPECT_EQ(requests_[0].flags, 9u);
    EXPECT_EQ(Utf8(requests_[0].initialFolder), GetParam().preselected);
    // The item list is freed and the allocator given back.
    EXPECT_EQ(paginor::win::OutstandingShellAllocations(), allocations);
    EXPECT_EQ(paginor::win::ShellAllocatorReferences(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FolderBrowse,
    ::testing::Values(FolderRow{"Chosen", "/srv/in", u"/srv/out", "/srv/out"},
                      FolderRow{"NothingPreselected", "", u"/srv/out", "/srv/out"},
                      FolderRow{"Cancelled", "/srv/in", std::nullopt, ""},
                      FolderRow{"CarriageReturnsRemoved", "", u"/srv/a\rb\r", "/srv/ab"},
                      // A place without a file-system path.
                      FolderRow{"NotAFolderOnDisk", "/srv", u"Network", "-3"},
                      FolderRow{"PathTooLong", "", u"/" + std::u16string(MAX_PATH, u'a'), "-3"}),
    [](const auto& info) { return info.param.name; });

TEST_F(Pickers, FolderBrowseWithoutAllocatorShowsNothing) {
    Answer(u"/srv");
    paginor::win::SimulateShellAllocatorFailure(true);
    EXPECT_EQ(Call("QELT_FolderBrowse", {"/x"}), "-3");
    EXPECT_EQ(LastError(), "0 Success");
    EXPECT_TRUE(requests_.empty());
}

struct FileRow {
    std::string name;
    DialogAnswer answer;
    std::string result;
};

class FileBrowse : public Pickers, public ::testing::WithParamInterface<FileRow> {};

TEST_P(FileBrowse, ReturnsTheChosenFile) {
    Answer(GetParam().answer);
    EXPECT_EQ(Call("QELT_FileBrowse", {}), GetParam().result);
    EXPECT_EQ(LastError(), "0 Success");
    ASSERT_EQ(requests_.size(), 1u);
    EXPECT_EQ(requests_[0].kind, DialogKind::OpenFile);
    EXPECT_EQ(requests_[0].filter, u"Acrobat Files (*.PDF)|*.pdf");
    EXPECT_EQ(requests_[0].flags, 0x80000u);
    EXPECT_EQ(requests_[0].initialFileName, u"");
    EXPECT_EQ(requests_[0].defaultExtension, u"");
}

INSTANTIATE_TEST_SUITE_P(
    Rows, FileBrowse,
    ::testing::Values(FileRow{"Chosen", u"/home/u/form.pdf", "/home/u/form.pdf"},
                      FileRow{"Cancelled", std::nullopt, ""},
                      FileRow{"CarriageReturnsRemoved", u"\r/home/u/a\rb.pdf", "/home/u/ab.pdf"}),
    [](const auto& info) { return info.param.name; });

// The frame accepts fewer parameters than the host registers.
TEST_F(Pickers, ParameterCountsOutsideTheFrameAreRefused) {
    Answer(u"/x");
    EXPECT_EQ(Call("QELT_FileBrowse", {"/x"}), "!!ERROR!!");
    EXPECT_EQ(LastError(), "-3 Invalid Number of Parameters");
    EXPECT_EQ(Call("QELT_FolderBrowse", {}), "!!ERROR!!");
    EXPECT_EQ(LastError(), "-3 Invalid Number of Parameters");
    EXPECT_TRUE(requests_.empty());
}

TEST(FmcalcDialogAnswer, AnswersThePickersInTurn) {
    const paginor::test_support::FmcalcRun run = paginor::test_support::runFmcalc(
        {"--dialog-answer", "/srv/in\r", "--dialog-answer", "", "--dialog-answer",
         "/home/u/form.pdf", "-e", "QELT_FolderBrowse(\"/srv\")", "-e", "QELT_FileBrowse", "-e",
         "QELT_FileBrowse", "-e", "QELT_FileBrowse"});
    // The second dialog is cancelled by the empty answer, the fourth because
    // the answers are used up.
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.stdoutText, "/srv/in\n\n/home/u/form.pdf\n\n");
}

} // namespace
