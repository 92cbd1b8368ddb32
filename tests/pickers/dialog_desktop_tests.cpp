#include "support/scratch_folder.h"
#include "win/dialog_desktop.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

using paginor::win::AskDesktopDialog;
using paginor::win::DesktopDialogArguments;
using paginor::win::DesktopDialogTool;
using paginor::win::DialogAnswer;
using paginor::win::DialogKind;
using paginor::win::DialogRequest;
using Flavor = DesktopDialogTool::Flavor;

DialogRequest PdfOpenRequest() {
    DialogRequest request;
    request.kind = DialogKind::OpenFile;
    request.filter = u"Acrobat Files (*.PDF)|*.pdf";
    return request;
}

DialogRequest FolderRequest(std::u16string initialFolder) {
    DialogRequest request;
    request.kind = DialogKind::Folder;
    request.title = u"Select Folder Path";
    request.initialFolder = std::move(initialFolder);
    return request;
}

struct ArgumentsCase {
    const char* label;
    Flavor flavor;
    DialogRequest request;
    std::vector<std::string> expected; // after the program
};

class DesktopArgumentsTest : public testing::TestWithParam<ArgumentsCase> {};

TEST_P(DesktopArgumentsTest, BuildsTheArgumentVector) {
    const DesktopDialogTool tool{GetParam().flavor, "/usr/bin/tool"};
    std::vector<std::string> expected{"/usr/bin/tool"};
    expected.insert(expected.end(), GetParam().expected.begin(), GetParam().expected.end());
    EXPECT_EQ(DesktopDialogArguments(tool, GetParam().request), expected);
}

INSTANTIATE_TEST_SUITE_P(
    Tools, DesktopArgumentsTest,
    testing::Values(
        ArgumentsCase{
            "zenity_open",
            Flavor::Zenity,
            PdfOpenRequest(),
            {"--file-selection", "--title=Open", "--file-filter=Acrobat Files (*.PDF) | *.pdf"}},
        ArgumentsCase{"zenity_folder_preselected",
                      Flavor::Zenity,
                      FolderRequest(u"/home/u/My Files"),
                      {"--file-selection", "--title=Select Folder Path", "--directory",
                       "--filename=/home/u/My Files/"}},
        ArgumentsCase{"zenity_folder_plain",
                      Flavor::Zenity,
                      FolderRequest(u""),
                      {"--file-selection", "--title=Select Folder Path", "--directory"}},
        ArgumentsCase{"kdialog_open",
                      Flavor::KDialog,
                      PdfOpenRequest(),
                      {"--title", "Open", "--getopenfilename", ".", "*.pdf|Acrobat Files (*.PDF)"}},
        ArgumentsCase{"kdialog_folder_preselected",
                      Flavor::KDialog,
                      FolderRequest(u"/srv/"),
                      {"--title", "Select Folder Path", "--getexistingdirectory", "/srv/"}}),
    [](const auto& info) { return std::string(info.param.label); });

// A stand-in dialog program: records its arguments one per line, prints the
// answer given in the environment and exits with the given status.
class FakeDialogProgram : public testing::Test {
protected:
    void SetUp() override {
        folder_ = scratch_.path();
        program_ = folder_ / "zenity";
        std::ofstream script(program_);
        script << "#!/bin/sh\n"
                  "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$FAKE_DIALOG_ARGS\"\n"
                  "printf '%s\\n' \"$FAKE_DIALOG_ANSWER\"\n"
                  "exit \"$FAKE_DIALOG_STATUS\"\n";
        script.close();
        std::filesystem::permissions(program_, std::filesystem::perms::owner_all);
        ::setenv("FAKE_DIALOG_ARGS", (folder_ / "args").c_str(), 1);
    }

    std::optional<DialogAnswer> Ask(const DialogRequest& request, const char* answer,
                                    const char* status) {
        ::setenv("FAKE_DIALOG_ANSWER", answer, 1);
        ::setenv("FAKE_DIALOG_STATUS", status, 1);
        return AskDesktopDialog({Flavor::Zenity, program_.string()}, request);
    }

    std::vector<std::string> ReceivedArguments() const {
        std::ifstream file(folder_ / "args");
        std::vector<std::string> lines;
        for (std::string line; std::getline(file, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    paginor::test_support::ScratchFolder scratch_{"paginor-dialog"};
    std::filesystem::path folder_;
    std::filesystem::path program_;
};

TEST_F(FakeDialogProgram, PassesArgumentsWithoutAShell) {
    DialogRequest request = FolderRequest(u"/tmp/$(touch pwned); `id`");
    request.title = u"It's \"quoted\" & $HOME";
    const auto answer = Ask(request, "/chosen/folder with spaces", "0");
    ASSERT_TRUE(answer.has_value());
    EXPECT_EQ(*answer, DialogAnswer(u"/chosen/folder with spaces"));
    const std::vector<std::string> expected{"--file-selection", "--title=It's \"quoted\" & $HOME",
                                            "--directory", "--filename=/tmp/$(touch pwned); `id`/"};
    EXPECT_EQ(ReceivedArguments(), expected);
    EXPECT_FALSE(std::filesystem::exists("pwned"));
}

struct OutcomeCase {
    const char* label;
    const char* answer;
    const char* status;
    std::optional<DialogAnswer> expected;
};

class FakeDialogOutcome : public FakeDialogProgram,
                          public testing::WithParamInterface<OutcomeCase> {};

TEST_P(FakeDialogOutcome, MapsExitStatusAndOutput) {
    EXPECT_EQ(Ask(PdfOpenRequest(), GetParam().answer, GetParam().status), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Outcomes, FakeDialogOutcome,
                         testing::Values(OutcomeCase{"chosen", "/a/b.pdf", "0",
                                                     DialogAnswer(u"/a/b.pdf")},
                                         OutcomeCase{"utf8_path", "/a/\xE2\x82\xAC.pdf", "0",
                                                     DialogAnswer(u"/a/\u20AC.pdf")},
                                         OutcomeCase{"cancelled", "", "1", DialogAnswer()},
                                         // Any other status: the program could not show a dialog,
                                         // so the caller falls back to asking another way.
                                         OutcomeCase{"not_shown", "", "5", std::nullopt}),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(DesktopDialogTool, MissingProgramFallsBack) {
    EXPECT_EQ(AskDesktopDialog({Flavor::Zenity, "/nonexistent/zenity"}, PdfOpenRequest()),
              std::nullopt);
}

} // namespace
