// fmcalc: a host for the plug-in. It loads the plug-in, plays the host's part
// of the plug-in interface and evaluates calculations written the way the
// database's users write them, alone, per CSV row or per database record.
//
// Exit status: 0 when every calculation was evaluated (a "!!ERROR!!" text is
// a result), 1 when one could not be evaluated, a batch row was bad or a
// record could not be saved, 2 for usage errors, input that cannot be read
// and a plug-in that cannot be loaded or refuses Init, 3 (with --strict only)
// when everything was evaluated but a result held "!!ERROR!!".

#include "batch/batch_worker.h"
#include "batch/csv_rows.h"
#include "batch/parallel_batch.h"
#include "batch/serial_batch.h"
#include "batch/table_rows.h"
#include "builtins.h"
#include "calculation_file.h"
#include "calculation_runner.h"
#include "command_line.h"
#include "database/database_functions.h"
#include "evaluator.h"
#include "function_table.h"
#include "help_text.h"
#include "input_files.h"
#include "json_output.h"
#include "plugin_loader.h"
#include "printable_text.h"
#include "repl.h"
#include "unicode_text.h"
#include "win/dialog_answers_in_turn.h"

#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <sqlite3.h>
#include <unistd.h>

#ifndef FMCALC_VERSION
#define FMCALC_VERSION "unknown"
#endif

using namespace fmcalc;

namespace {

constexpr int exit_ok = 0;
constexpr int exit_failed = 1;
constexpr int exit_usage = 2;
constexpr int exit_error_result = 3;

// Writers to the database wait this long for one another.
constexpr int busy_timeout_ms = 30000;

struct Failure {
    int status;
    std::string message;
};

void print_list(LoadedPlugin& plugin, OutputFormat format) {
    const std::string name = utf16_to_utf8(plugin.get_string(128));
    const std::string description = utf16_to_utf8(plugin.get_string(129));
    if (format == OutputFormat::Json) {
        std::cout << "{\"name\":" << json_string(name)
                  << ",\"description\":" << json_string(description) << ",\"functions\":[";
        bool first = true;
        for (const ExternalFunction& f : plugin.functions()) {
            std::cout << (first ? "" : ",") << "{\"name\":" << json_string(utf16_to_utf8(f.name))
                      << ",\"prototype\":" << json_string(utf16_to_utf8(f.prototype))
                      << ",\"min\":" << f.min_params << ",\"max\":" << f.max_params << "}";
            first = false;
        }
        std::cout << "]}\n";
        return;
    }
    std::cout << name << '\n' << description << "\n\n";
    std::cout << plugin.functions().size() << " functions:\n";
    for (const ExternalFunction& f : plugin.functions()) {
        const std::string range =
            f.max_params < 0 ? std::to_string(f.min_params) + " or more"
                             : std::to_string(f.min_params) + ".." + std::to_string(f.max_params);
        std::cout << "  " << utf16_to_utf8(f.prototype) << "  [parameters " << range << "]\n";
    }
}

// The last error as QELT_GetLastError reports it: "-2012 Invalid page range…".
std::string last_error_of(LoadedPlugin& plugin) {
    const ExternalFunction* last_error = plugin.find(u"QELT_GetLastError");
    if (!last_error)
        return "unknown";
    try {
        const Value code = plugin.call(*last_error, {Value::text(u"Number")}, 0);
        const Value text = plugin.call(*last_error, {}, 0);
        return utf16_to_utf8(code.as_text()) + " " + utf16_to_utf8(text.as_text());
    } catch (const EvaluationError&) {
        return "unknown";
    }
}

// Everything a run needs that comes from outside: the calculations and the
// batch rows. Gathered before the plug-in starts, so a missing file costs
// no plug-in start.
struct Inputs {
    std::vector<NamedCalculation> calculations;
    bool interactive = false;
    std::vector<BatchRow> rows;
    std::string unit = "row"; // "row" or "record" in the summary
    std::unique_ptr<Database> database;
    std::optional<TableShape> table;
};

std::optional<Failure> gather(const CommandLine& options, Inputs& inputs) {
    for (std::size_t i = 0; i < options.expressions.size(); ++i)
        inputs.calculations.push_back(
            {{options.expressions[i], 1}, CalculationOrigin::of_expression(i + 1)});
    inputs.interactive =
        options.expressions.empty() && !options.file && !options.list && isatty(STDIN_FILENO);
    std::optional<std::string> file = options.file;
    if (!file && options.expressions.empty() && !options.list)
        file = "-"; // calculations piped in
    if (file && !inputs.interactive) {
        const FileContents text = read_input_file(*file);
        if (!text.bytes)
            return Failure{exit_usage, text.error};
        for (auto& calc : split_calculations(*text.bytes))
            inputs.calculations.push_back({std::move(calc), CalculationOrigin::of_file(*file)});
    }
    if (options.csv) {
        FileContents data = read_input_file(*options.csv);
        if (!data.bytes)
            return Failure{exit_usage, data.error};
        CsvRows csv = read_csv_rows(std::move(*data.bytes), *options.csv,
                                    {options.csv_encoding, options.delimiter});
        if (!csv.error.empty())
            return Failure{exit_usage, csv.error};
        inputs.rows = std::move(csv.rows);
    }
    if (options.database) {
        try {
            inputs.database = std::make_unique<Database>(*options.database, busy_timeout_ms);
            if (options.table) {
                inputs.table = read_table_shape(*inputs.database, *options.table);
                inputs.rows =
                    table_rows(*inputs.table,
                               read_table_records(*inputs.database, *inputs.table, options.where));
                inputs.unit = "record";
            }
        } catch (const DatabaseError& e) {
            return Failure{exit_usage, e.what()};
        }
    }
    return std::nullopt;
}

std::string this_executable() {
    std::error_code ec;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", ec);
    return ec ? std::string("/proc/self/exe") : path.string();
}

int batch_status(const BatchCounts& counts, bool strict) {
    if (counts.failed > 0 || counts.skipped > 0)
        return exit_failed;
    return strict && counts.error_results > 0 ? exit_error_result : exit_ok;
}

// The batch in --jobs worker processes; this process loads no plug-in.
int run_parallel(const CommandLine& options, const std::vector<std::string>& args, Inputs& inputs) {
    if (inputs.database && inputs.table) {
        try {
            inputs.database->use_write_ahead_log();
        } catch (const DatabaseError& e) {
            std::cerr << "fmcalc: " << escape_control_characters(e.what()) << '\n';
            return exit_usage;
        }
    }
    WorkerCommand command{this_executable(), args};
    command.args.push_back("--batch-worker");
    const OutputFormat format = options.json ? OutputFormat::Json : OutputFormat::Plain;
    const ParallelOutcome outcome =
        run_rows_in_workers(inputs.rows, inputs.calculations, command, options.jobs, format,
                            std::cout, std::cerr, isatty(STDERR_FILENO) ? &std::cerr : nullptr);
    if (outcome.workers_failed_to_start) {
        std::cerr << "fmcalc: the worker processes could not be started\n";
        return exit_usage;
    }
    std::cerr << "fmcalc: " << outcome.counts.summary(inputs.unit) << '\n';
    return batch_status(outcome.counts, options.strict);
}

int run(const CommandLine& options, const std::vector<std::string>& args) {
    const OutputFormat format = options.json ? OutputFormat::Json : OutputFormat::Plain;

    Inputs inputs;
    if (!options.batch_worker) {
        if (const auto failure = gather(options, inputs)) {
            std::cerr << "fmcalc: " << escape_control_characters(failure->message) << '\n';
            return failure->status;
        }
        if (options.jobs > 1 && options.batch())
            return run_parallel(options, args, inputs);
    } else if (options.database) {
        try {
            inputs.database = std::make_unique<Database>(*options.database, busy_timeout_ms);
            if (options.table)
                inputs.table = read_table_shape(*inputs.database, *options.table);
        } catch (const DatabaseError& e) {
            std::cerr << "fmcalc: " << escape_control_characters(e.what()) << '\n';
            return exit_usage;
        }
    }

    if (!options.dialog_answers.empty()) {
        std::vector<std::u16string> answers;
        for (const std::string& answer : options.dialog_answers)
            answers.push_back(utf8_to_utf16(answer));
        paginor::win::AnswerDialogsInTurn(std::move(answers));
    }

    std::optional<LoadedPlugin> plugin;
    try {
        plugin.emplace(options.plugin.value_or(default_plugin_path()), options.host_version);
    } catch (const PluginLoadError& e) {
        std::cerr << "fmcalc: " << escape_control_characters(e.what()) << '\n';
        return exit_usage;
    }
    // Read once, as the host does when it lists its plug-ins.
    plugin->get_string(128);
    plugin->get_string(129);
    plugin->get_string(131);
    if (options.list)
        print_list(*plugin, format);

    Notices notices;
    DatabaseFunctions database_functions(inputs.database.get(), &notices);
    FunctionTable functions;
    functions.add(&database_functions);
    functions.add(&*plugin);
    Evaluator evaluator(&functions);
    CalculationRunner runner(evaluator, format, std::cout, std::cerr);
    runner.set_between_calculations([&] { plugin->idle(); });
    runner.set_notices(&notices);
    if (options.strict)
        runner.set_strict([&] { return last_error_of(*plugin); });

    if (options.batch_worker) {
        return serve_batch_rows(evaluator, runner, &database_functions,
                                inputs.table ? &*inputs.table : nullptr);
    }
    if (options.batch()) {
        RowRunner row_runner{inputs.calculations, evaluator, runner, &database_functions,
                             inputs.table ? &*inputs.table : nullptr};
        const BatchCounts counts =
            run_rows_here(inputs.rows, row_runner, isatty(STDERR_FILENO) ? &std::cerr : nullptr);
        std::cerr << "fmcalc: " << counts.summary(inputs.unit) << '\n';
        return batch_status(counts, options.strict);
    }

    RowReport report;
    if (inputs.interactive) {
        const std::string help = function_help({{"The database", database_functions.functions()},
                                                {"The plug-in", plugin->functions()}});
        report = run_interactive(runner, help);
    } else {
        for (const NamedCalculation& calc : inputs.calculations) {
            const Outcome outcome = runner.run(calc);
            report.failed = report.failed || outcome == Outcome::NotEvaluated;
            report.error_result = report.error_result || outcome == Outcome::ErrorResult;
        }
    }
    if (report.failed)
        return exit_failed;
    return options.strict && report.error_result ? exit_error_result : exit_ok;
}

} // namespace

int main(int argc, char** argv) {
    try {
        const std::vector<std::string> args(argv + 1, argv + argc);
        const auto parsed = parse_command_line(args);
        if (!parsed.error.empty()) {
            std::cerr << "fmcalc: " << usage_error_line(parsed.error) << '\n';
            return exit_usage;
        }
        if (parsed.options.help) {
            std::cout << usage_text();
            return exit_ok;
        }
        if (parsed.options.version) {
            std::cout << "fmcalc " << FMCALC_VERSION << " (SQLite " << sqlite3_libversion()
                      << ")\n";
            return exit_ok;
        }
        return run(parsed.options, args);
    } catch (const std::exception& e) {
        std::cerr << "fmcalc: " << escape_control_characters(e.what()) << '\n';
        return exit_failed;
    }
}
