#include "repl.h"

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <readline/history.h>
#include <readline/readline.h>

namespace fmcalc {
namespace {

struct FreeDeleter {
    void operator()(char* p) const { std::free(p); }
};

bool is_blank(const std::string& s) {
    return s.find_first_not_of(" \t") == std::string::npos;
}

} // namespace

bool run_interactive(CalculationRunner& runner) {
    bool all_ok = true;
    std::size_t count = 0;
    std::string pending;
    for (;;) {
        std::unique_ptr<char, FreeDeleter> line(
            readline(pending.empty() ? "fmcalc> " : "   ...> "));
        if (!line) {
            std::fputc('\n', stdout);
            break;
        }
        const std::string text = line.get();
        if (pending.empty()) {
            if (is_blank(text))
                continue;
            pending = text;
        } else {
            pending += '\n' + text;
        }
        if (calculation_is_open(pending))
            continue;
        add_history(pending.c_str());
        ++count;
        all_ok = runner.run({pending, 1}, "input[" + std::to_string(count) + "]") && all_ok;
        pending.clear();
    }
    // An unfinished calculation at end of input still gets its error report.
    if (!pending.empty())
        all_ok = runner.run({pending, 1}, "input[" + std::to_string(count + 1) + "]") && all_ok;
    return all_ok;
}

} // namespace fmcalc
