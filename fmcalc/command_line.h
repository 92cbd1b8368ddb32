// fmcalc's options. The command line is relied on by tests and users: keep
// it stable.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace fmcalc {

struct CommandLine {
    std::vector<std::string> expressions; // -e, in order
    std::optional<std::string> file;      // calculations, one per line
    std::optional<std::string> csv;       // --csv: run the calculations per row
    std::optional<std::string> plugin;    // --plugin: instead of the one beside fmcalc
    int host_version = 62;                // --host-version: sent with Init
    // --dialog-answer (repeatable): what the file and folder pickers answer,
    // one per dialog in order, instead of asking the user; "" cancels.
    std::vector<std::string> dialog_answers;
    bool json = false;
    bool list = false;
    bool help = false;
};

struct CommandLineResult {
    CommandLine options;
    std::string error; // non-empty: a usage error
};

CommandLineResult parse_command_line(const std::vector<std::string>& args);

std::string usage_text();

} // namespace fmcalc
