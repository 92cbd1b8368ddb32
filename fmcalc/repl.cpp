#include "repl.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <poll.h>
#include <pthread.h>
#include <pwd.h>
#include <readline/history.h>
#include <readline/readline.h>
#include <unistd.h>

namespace fmcalc {
namespace {

constexpr int history_entries = 1000;

volatile std::sig_atomic_t interrupted = 0;

extern "C" void on_interrupt(int) {
    interrupted = 1;
}

bool is_blank(const std::string& s) {
    return s.find_first_not_of(" \t") == std::string::npos;
}

bool is_help(const std::string& s) {
    const auto first = s.find_first_not_of(" \t");
    const auto last = s.find_last_not_of(" \t");
    if (first == std::string::npos)
        return false;
    std::string word = s.substr(first, last - first + 1);
    for (char& c : word)
        c = static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c);
    return word == "help" || word == "?";
}

// Readline's callback interface, so that Ctrl-C can be handled outside the
// signal handler: the handler only sets a flag, the loop clears the line.
// SIGINT stays blocked except while waiting for a key (ppoll unblocks it
// atomically), so a Ctrl-C can neither slip in between a check and the wait
// nor interrupt a calculation that is running.
class LineReader {
public:
    LineReader() {
        instance_ = this;
        rl_catch_signals = 0; // the loop below handles SIGINT, not readline
        previous_getc_ = rl_getc_function;
        rl_getc_function = read_key;
        for (Keymap map : {emacs_standard_keymap, vi_insertion_keymap, vi_movement_keymap})
            rl_bind_key_in_map(interrupt_key, ignore_key, map);
        struct sigaction action {};
        action.sa_handler = on_interrupt;
        sigemptyset(&action.sa_mask);
        action.sa_flags = 0;
        sigaction(SIGINT, &action, &previous_);
        sigset_t interrupt;
        sigemptyset(&interrupt);
        sigaddset(&interrupt, SIGINT);
        pthread_sigmask(SIG_BLOCK, &interrupt, &previous_mask_);
        waiting_mask_ = previous_mask_;
        sigdelset(&waiting_mask_, SIGINT);
    }
    ~LineReader() {
        rl_callback_handler_remove();
        rl_getc_function = previous_getc_;
        if (keys_ != STDIN_FILENO)
            close(keys_);
        pthread_sigmask(SIG_SETMASK, &previous_mask_, nullptr);
        sigaction(SIGINT, &previous_, nullptr);
        instance_ = nullptr;
    }
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    enum class Event { Line, Interrupt, End };

    // Waits for a whole line (in `line`), a Ctrl-C or the end of input.
    Event read(const char* prompt, std::string& line) {
        got_line_ = false;
        ended_ = false;
        discard_pending_interrupt();
        interrupted = 0;
        rl_callback_handler_install(prompt, on_line);
        for (;;) {
            if (interrupted) {
                interrupted = 0;
                // Drop what was typed and start a fresh prompt line.
                rl_free_line_state();
                rl_callback_sigcleanup();
                rl_replace_line("", 0);
                rl_crlf();
                rl_callback_handler_remove();
                return Event::Interrupt;
            }
            if (!wait_for_key()) {
                if (interrupted)
                    continue;
                rl_callback_handler_remove();
                return Event::End;
            }
            rl_callback_read_char();
            if (interrupted)
                continue;
            if (got_line_ || ended_) {
                rl_callback_handler_remove();
                if (ended_)
                    return Event::End;
                line = std::move(line_);
                return Event::Line;
            }
        }
    }

private:
    // Waits until a key can be read, with SIGINT let through for the wait
    // only; false on a Ctrl-C (`interrupted` set) or a failed wait.
    bool wait_for_key() const {
        for (;;) {
            if (interrupted)
                return false;
            pollfd input{keys_, POLLIN, 0};
            if (ppoll(&input, 1, nullptr, &waiting_mask_) >= 0)
                return true;
            if (errno != EINTR)
                return false;
        }
    }

    // Every key readline asks for is read here. Its own reader waits with a
    // signal mask of its own that lets SIGINT through to our handler and then
    // waits again: a Ctrl-C that came just after a key, and so emptied the
    // terminal's input, left it waiting for good. Here a Ctrl-C ends the
    // wait with a key that does nothing, and the loop above sees the flag.
    // The read does not block, as the input a wait found can still be
    // emptied by a Ctrl-C before it is read.
    static int read_key(FILE*) {
        for (;;) {
            if (!instance_->wait_for_key())
                return interrupted ? interrupt_key : EOF;
            unsigned char key = 0;
            const ssize_t got = ::read(instance_->keys_, &key, 1);
            if (got == 1)
                return key;
            if (got == 0 || (errno != EINTR && errno != EAGAIN))
                return EOF;
        }
    }

    // The terminal opened again, for reads that do not block without
    // changing how the shell's own descriptor behaves.
    static int open_keys() {
        const char* terminal = ttyname(STDIN_FILENO);
        const int keys =
            terminal ? open(terminal, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC) : -1;
        return keys >= 0 ? keys : STDIN_FILENO;
    }

    static int ignore_key(int, int) { return 0; }

    // The terminal turns a typed Ctrl-C into SIGINT, so the key itself is
    // free to stand for one.
    static constexpr int interrupt_key = 0x03;

    // A Ctrl-C pressed while a calculation ran is not meant for the next line.
    static void discard_pending_interrupt() {
        sigset_t interrupt;
        sigemptyset(&interrupt);
        sigaddset(&interrupt, SIGINT);
        const timespec now{0, 0};
        while (sigtimedwait(&interrupt, nullptr, &now) == SIGINT) {
        }
    }

    static void on_line(char* text) {
        const std::unique_ptr<char, decltype(&std::free)> owned(text, &std::free);
        if (!text) {
            instance_->ended_ = true;
            return;
        }
        instance_->line_ = text;
        instance_->got_line_ = true;
        // Handled: readline must not show the prompt again until asked.
        rl_callback_handler_remove();
    }

    static inline LineReader* instance_ = nullptr;
    struct sigaction previous_ {};
    rl_getc_func_t* previous_getc_ = nullptr;
    int keys_ = open_keys();
    sigset_t previous_mask_{};
    sigset_t waiting_mask_{};
    std::string line_;
    bool got_line_ = false;
    bool ended_ = false;
};

// Loads the history on construction and writes it back on destruction.
class History {
public:
    History() : path_(history_file_path()) {
        using_history();
        stifle_history(history_entries);
        if (path_)
            read_history(path_->c_str());
    }
    ~History() {
        if (!path_)
            return;
        std::error_code ec;
        std::filesystem::create_directories(std::filesystem::path(*path_).parent_path(), ec);
        if (!ec)
            write_history(path_->c_str());
    }
    History(const History&) = delete;
    History& operator=(const History&) = delete;

    void add(const std::string& entry) {
        // The same entry twice in a row is kept once, as shells do.
        const HIST_ENTRY* last =
            history_length > 0 ? history_get(history_base + history_length - 1) : nullptr;
        if (!last || entry != last->line)
            add_history(entry.c_str());
    }

private:
    std::optional<std::string> path_;
};

} // namespace

std::optional<std::string> history_file_path() {
    std::filesystem::path state;
    if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg && xdg[0] == '/') {
        state = xdg;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || home[0] == '\0') {
            const passwd* user = getpwuid(getuid());
            home = user ? user->pw_dir : nullptr;
        }
        if (!home || home[0] == '\0')
            return std::nullopt;
        state = std::filesystem::path(home) / ".local" / "state";
    }
    return (state / "paginor" / "fmcalc_history").string();
}

RowReport run_interactive(CalculationRunner& runner, const std::string& help) {
    RowReport report;
    std::size_t count = 0;
    std::string pending;
    History history;
    LineReader reader;
    const auto run = [&](const std::string& text) {
        ++count;
        const Outcome outcome = runner.run({{text, 1}, CalculationOrigin::of_prompt(count)});
        report.failed = report.failed || outcome == Outcome::NotEvaluated;
        report.error_result = report.error_result || outcome == Outcome::ErrorResult;
    };
    for (;;) {
        std::string line;
        const auto event = reader.read(pending.empty() ? "fmcalc> " : "   ...> ", line);
        if (event == LineReader::Event::End) {
            std::fputc('\n', stdout);
            break;
        }
        if (event == LineReader::Event::Interrupt) {
            pending.clear();
            continue;
        }
        if (pending.empty()) {
            if (is_blank(line))
                continue;
            if (is_help(line)) {
                history.add(line);
                std::fputs(help.c_str(), stdout);
                std::fflush(stdout);
                continue;
            }
            pending = line;
        } else {
            pending += '\n' + line;
        }
        if (calculation_is_open(pending))
            continue;
        history.add(pending);
        run(pending);
        pending.clear();
    }
    // An unfinished calculation at end of input still gets its error report.
    if (!pending.empty())
        run(pending);
    return report;
}

} // namespace fmcalc
