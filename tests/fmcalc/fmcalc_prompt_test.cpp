// The interactive prompt in a real terminal (a pseudo-terminal): Ctrl-C
// clears what is being typed and keeps the session, Ctrl-D ends, history is
// kept between sessions, "help" lists the functions.
#include "fmcalc_process.h"
#include "support/repository_paths.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <fstream>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fmcalc_test {
namespace {

namespace fs = std::filesystem;

// fmcalc at the prompt on a pseudo-terminal, in `folder`, with its state
// (history) under `state`.
class Terminal {
public:
    Terminal(const fs::path& folder, const fs::path& state) {
        const std::string binary = paginor::test_support::fmcalcBinary().string();
        pid_ = forkpty(&master_, nullptr, nullptr, nullptr);
        if (pid_ == 0) {
            if (chdir(folder.c_str()) != 0)
                _exit(127);
            setenv("XDG_STATE_HOME", state.c_str(), 1);
            setenv("TERM", "dumb", 1);
            execl(binary.c_str(), binary.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    ~Terminal() {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
        if (master_ >= 0)
            close(master_);
    }
    Terminal(const Terminal&) = delete;
    Terminal& operator=(const Terminal&) = delete;

    bool started() const { return pid_ > 0; }

    void type(const std::string& keys) {
        ASSERT_EQ(write(master_, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    }

    // Reads until `text` appears after what was already looked at; false
    // after 20 seconds without it.
    bool wait_for(const std::string& text) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
        for (;;) {
            const auto found = screen_.find(text, seen_);
            if (found != std::string::npos) {
                seen_ = found + text.size();
                return true;
            }
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return false;
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left.count())) <= 0)
                return false;
            char buffer[4096];
            const ssize_t got = read(master_, buffer, sizeof buffer);
            if (got <= 0)
                return false;
            screen_.append(buffer, static_cast<std::size_t>(got));
        }
    }

    // The exit status once fmcalc has ended by itself; -1 (and fmcalc
    // stopped) when it still runs after 20 seconds without output.
    int exit_status() {
        int status = 0;
        char buffer[4096];
        for (;;) {
            pollfd p{master_, POLLIN, 0};
            if (poll(&p, 1, 20000) <= 0) {
                return -1; // the destructor ends it
            }
            if (read(master_, buffer, sizeof buffer) <= 0)
                break;
        }
        waitpid(pid_, &status, 0);
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    const std::string& screen() const { return screen_; }

private:
    pid_t pid_ = -1;
    int master_ = -1;
    std::string screen_;
    std::size_t seen_ = 0;
};

TEST(Prompt, CtrlCClearsTheLineAndKeepsTheSession) {
    ScratchFolder folder("Prompt_CtrlC");
    fs::copy_file(examples_dir() / "text.pdf", folder.path() / "text.pdf");
    const fs::path state = folder.path() / "state";
    {
        Terminal t(folder.path(), state);
        ASSERT_TRUE(t.started());
        ASSERT_TRUE(t.wait_for("fmcalc> "));
        t.type("QELT_OpenPDF ( \"text.pdf\" )\r");
        ASSERT_TRUE(t.wait_for("\r\n0\r\n")) << t.screen();
        ASSERT_TRUE(t.wait_for("fmcalc> "));
        // Half a line, then Ctrl-C: the line goes, the open document stays.
        t.type("QELT_DeletePDF ( \"text.p");
        t.type("\x03");
        ASSERT_TRUE(t.wait_for("fmcalc> ")) << t.screen();
        // A calculation left open over two lines is dropped whole.
        t.type("Left ( \"abc\" ;\r");
        ASSERT_TRUE(t.wait_for("...> ")) << t.screen();
        t.type("\x03");
        ASSERT_TRUE(t.wait_for("fmcalc> ")) << t.screen();
        t.type("QELT_GetNumPages & \" pages\"\r");
        ASSERT_TRUE(t.wait_for("\r\n3 pages\r\n")) << t.screen();
        t.type("help\r");
        ASSERT_TRUE(t.wait_for("ExecuteSQL ( query ; fieldSeparator ; rowSeparator")) << t.screen();
        ASSERT_TRUE(t.wait_for("QELT_OpenPDF( FullPath )")) << t.screen();
        ASSERT_TRUE(t.wait_for("fmcalc> "));
        t.type("\x04"); // Ctrl-D ends
        EXPECT_EQ(t.exit_status(), 0) << t.screen();
    }
    EXPECT_TRUE(fs::exists(folder.path() / "text.pdf"));

    // The history was kept, without what Ctrl-C dropped.
    std::ifstream history(state / "paginor" / "fmcalc_history");
    std::vector<std::string> lines;
    for (std::string line; std::getline(history, line);)
        lines.push_back(line);
    EXPECT_EQ(lines, (std::vector<std::string>{"QELT_OpenPDF ( \"text.pdf\" )",
                                               "QELT_GetNumPages & \" pages\"", "help"}));

    // A new session finds it: two steps up is the page count.
    Terminal again(folder.path(), state);
    ASSERT_TRUE(again.wait_for("fmcalc> "));
    again.type("\x1b[A\x1b[A\r");
    ASSERT_TRUE(again.wait_for("!!ERROR!! pages")) << again.screen(); // no document open here
    ASSERT_TRUE(again.wait_for("fmcalc> "));
    again.type("\x04");
    EXPECT_EQ(again.exit_status(), 0);
}

// A Ctrl-C that comes just after a key can empty the terminal's input after
// the key was seen but before it was read; the prompt must still come back.
// The window is small, so it is tried many times.
TEST(Prompt, CtrlCJustAfterAKeyAlwaysGivesANewPrompt) {
    ScratchFolder folder("Prompt_CtrlCRace");
    Terminal t(folder.path(), folder.path() / "state");
    ASSERT_TRUE(t.started());
    ASSERT_TRUE(t.wait_for("fmcalc> "));
    for (int round = 0; round < 10000; ++round) {
        t.type("QELT_Dele");
        t.type("\x03");
        ASSERT_TRUE(t.wait_for("fmcalc> ")) << "round " << round;
    }
    t.type("1 + 1\r");
    ASSERT_TRUE(t.wait_for("\r\n2\r\n"));
    // Ctrl-D ends only at the prompt: before it, the terminal is still in
    // line mode and takes the key for itself.
    ASSERT_TRUE(t.wait_for("fmcalc> "));
    t.type("\x04");
    EXPECT_EQ(t.exit_status(), 0);
}

} // namespace
} // namespace fmcalc_test
