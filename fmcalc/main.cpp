// fmcalc: a host for the plug-in. It loads the plug-in, plays the host's part
// of the plug-in interface and evaluates calculations written the way the
// database's users write them.
//
// Exit status: 0 when every calculation was evaluated (a "!!ERROR!!" text is
// a result), 1 when one could not be evaluated or a CSV row was bad, 2 for
// usage errors and a plug-in that cannot be loaded or refuses Init.

#include "calculation_file.h"
#include "calculation_runner.h"
#include "command_line.h"
#include "csv_batch.h"
#include "evaluator.h"
#include "json_output.h"
#include "plugin_loader.h"
#include "repl.h"
#include "unicode_text.h"
#include "win/dialog_answers_in_turn.h"

#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <unistd.h>

using namespace fmcalc;

namespace {

constexpr int exit_ok = 0;
constexpr int exit_failed = 1;
constexpr int exit_usage = 2;

std::optional<std::string> read_whole(const std::string& path) {
    if (path == "-") {
        std::ostringstream all;
        all << std::cin.rdbuf();
        return all.str();
    }
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

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

int run(const CommandLine& options) {
    const OutputFormat format = options.json ? OutputFormat::Json : OutputFormat::Plain;

    // Gather the calculations first: a missing file is a usage error and
    // must not cost a plug-in start.
    std::vector<NamedCalculation> calculations;
    for (std::size_t i = 0; i < options.expressions.size(); ++i)
        calculations.push_back({{options.expressions[i], 1}, "-e[" + std::to_string(i + 1) + "]"});
    const bool interactive =
        options.expressions.empty() && !options.file && !options.list && isatty(STDIN_FILENO);
    std::optional<std::string> file = options.file;
    if (!file && options.expressions.empty() && !options.list)
        file = "-"; // calculations piped in
    if (file && !interactive) {
        const auto text = read_whole(*file);
        if (!text) {
            std::cerr << "fmcalc: cannot read " << *file << '\n';
            return exit_usage;
        }
        const std::string origin = *file == "-" ? "stdin" : *file;
        for (auto& calc : split_calculations(*text))
            calculations.push_back({std::move(calc), origin});
    }
    std::optional<std::string> csv_text;
    if (options.csv) {
        csv_text = read_whole(*options.csv);
        if (!csv_text) {
            std::cerr << "fmcalc: cannot read " << *options.csv << '\n';
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
        std::cerr << "fmcalc: " << e.what() << '\n';
        return exit_usage;
    }
    // Read once, as the host does when it lists its plug-ins.
    plugin->get_string(128);
    plugin->get_string(129);
    plugin->get_string(131);
    if (options.list)
        print_list(*plugin, format);

    Evaluator evaluator(&*plugin);
    CalculationRunner runner(evaluator, format, std::cout, std::cerr);
    runner.set_between_calculations([&] { plugin->idle(); });

    bool all_ok = true;
    if (interactive) {
        all_ok = run_interactive(runner);
    } else if (csv_text) {
        all_ok = run_csv_batch(*csv_text, *options.csv, calculations, evaluator, runner,
                               isatty(STDERR_FILENO) ? &std::cerr : nullptr);
    } else {
        for (const NamedCalculation& calc : calculations)
            all_ok = runner.run(calc.calculation, calc.origin) && all_ok;
    }
    return all_ok ? exit_ok : exit_failed;
}

} // namespace

int main(int argc, char** argv) {
    try {
        const auto parsed = parse_command_line(std::vector<std::string>(argv + 1, argv + argc));
        if (!parsed.error.empty()) {
            std::cerr << "fmcalc: " << parsed.error << '\n' << usage_text();
            return exit_usage;
        }
        if (parsed.options.help) {
            std::cout << usage_text();
            return exit_ok;
        }
        return run(parsed.options);
    } catch (const std::exception& e) {
        std::cerr << "fmcalc: " << e.what() << '\n';
        return exit_failed;
    }
}
