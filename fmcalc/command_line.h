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
    std::optional<std::string> csv_encoding; // --csv-encoding: an iconv name
    std::optional<char> delimiter;           // --delimiter; detected when not given
    std::optional<std::string> database;     // --db: an SQLite file
    std::optional<std::string> table;        // --table: run the calculations per record
    std::optional<std::string> where;        // --where: which records
    int jobs = 1;                            // --jobs: worker processes for a batch
    bool json = false;
    bool list = false;
    bool help = false;
    bool version = false;
    bool strict = false; // a "!!ERROR!!" result makes the exit status 3
    // Internal: run as one of the worker processes of a --jobs batch, taking
    // calculations and rows from stdin.
    bool batch_worker = false;

    bool batch() const { return csv.has_value() || table.has_value(); }
};

struct CommandLineResult {
    CommandLine options;
    std::string error; // non-empty: a usage error
};

CommandLineResult parse_command_line(const std::vector<std::string>& args);

std::string usage_text();

// The one line a usage error prints after "fmcalc: ".
std::string usage_error_line(const std::string& error);

inline constexpr int max_jobs = 64;

} // namespace fmcalc
