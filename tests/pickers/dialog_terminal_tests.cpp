#include "win/dialog_fd.h"
#include "win/dialog_terminal.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

using paginor::win::AskOnTerminal;
using paginor::win::DialogAnswer;
using paginor::win::DialogFd;
using paginor::win::DialogKind;
using paginor::win::DialogRequest;

struct Pipe {
    Pipe() {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC) == 0) {
            readEnd = std::make_unique<DialogFd>(fds[0]);
            writeEnd = std::make_unique<DialogFd>(fds[1]);
        }
    }
    std::unique_ptr<DialogFd> readEnd;
    std::unique_ptr<DialogFd> writeEnd;
};

std::string ReadAll(int fd) {
    std::string text;
    char buffer[256];
    ssize_t count = 0;
    while ((count = ::read(fd, buffer, sizeof buffer)) > 0) {
        text.append(buffer, static_cast<std::size_t>(count));
    }
    return text;
}

struct TerminalCase {
    const char* label;
    DialogKind kind;
    std::u16string initialFolder;
    std::string typed;
    DialogAnswer expected;
};

class TerminalPromptTest : public testing::TestWithParam<TerminalCase> {};

TEST_P(TerminalPromptTest, ReadsOneLine) {
    Pipe input;
    Pipe output;
    ASSERT_TRUE(input.readEnd && output.readEnd);
    ASSERT_EQ(::write(input.writeEnd->Get(), GetParam().typed.data(), GetParam().typed.size()),
              static_cast<ssize_t>(GetParam().typed.size()));
    input.writeEnd->Reset();

    DialogRequest request;
    request.kind = GetParam().kind;
    request.title = u"Select Folder Path";
    request.initialFolder = GetParam().initialFolder;
    request.filter = u"Acrobat Files (*.PDF)|*.pdf";
    EXPECT_EQ(AskOnTerminal(request, input.readEnd->Get(), output.writeEnd->Get()),
              GetParam().expected);

    output.writeEnd->Reset();
    const std::string prompt = ReadAll(output.readEnd->Get());
    EXPECT_NE(prompt.find("Select Folder Path"), std::string::npos) << prompt;
    if (!GetParam().initialFolder.empty()) {
        EXPECT_NE(prompt.find("[/srv/offered]"), std::string::npos) << prompt;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Lines, TerminalPromptTest,
    testing::Values(
        TerminalCase{"path", DialogKind::OpenFile, u"", "/tmp/a b.pdf\n", u"/tmp/a b.pdf"},
        TerminalCase{"utf8", DialogKind::OpenFile, u"", "/tmp/r\xC3\xA9sum\xC3\xA9.pdf\n",
                     u"/tmp/r\u00E9sum\u00E9.pdf"},
        TerminalCase{"end_of_input_cancels", DialogKind::Folder, u"/srv/offered", "", std::nullopt},
        TerminalCase{"empty_line_takes_offered_folder", DialogKind::Folder, u"/srv/offered", "\n",
                     u"/srv/offered"},
        TerminalCase{"empty_line_without_offer_cancels", DialogKind::Folder, u"", "\n",
                     std::nullopt}),
    [](const auto& info) { return std::string(info.param.label); });

std::u16string Wide(const std::string& ascii) {
    return std::u16string(ascii.begin(), ascii.end());
}

// A path typed at the terminal answers as the desktop dialogs do: absolute.
// The file need not exist.
TEST(TerminalPrompt, TypedPathsBecomeAbsolute) {
    const std::string cwd = std::filesystem::current_path().string();
    const char* home = std::getenv("HOME");
    ASSERT_NE(home, nullptr);
    const struct {
        std::string typed;
        std::string expected;
    } cases[] = {
        {"forms/missing.pdf\n", cwd + "/forms/missing.pdf"},
        {"./a/../b.pdf\n", cwd + "/b.pdf"},
        {"~/letters/x.pdf\n", std::string(home) + "/letters/x.pdf"},
        {"/already/absolute.pdf\n", "/already/absolute.pdf"},
    };
    for (const auto& c : cases) {
        Pipe input;
        Pipe output;
        ASSERT_TRUE(input.readEnd && output.readEnd);
        ASSERT_EQ(::write(input.writeEnd->Get(), c.typed.data(), c.typed.size()),
                  static_cast<ssize_t>(c.typed.size()));
        input.writeEnd->Reset();
        DialogRequest request;
        request.kind = DialogKind::OpenFile;
        EXPECT_EQ(AskOnTerminal(request, input.readEnd->Get(), output.writeEnd->Get()),
                  DialogAnswer(Wide(c.expected)))
            << c.typed;
    }
}

} // namespace
