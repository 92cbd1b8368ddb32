#include "command_line.h"

#include <charconv>
#include <cstdint>
#include <limits>

namespace fmcalc {

std::string usage_text() {
    return "usage: fmcalc [options] -e CALC [-e CALC ...]\n"
           "       fmcalc [options] FILE\n"
           "       fmcalc [options] --csv DATA.csv FILE\n"
           "       fmcalc [options]            (interactive, or calculations on stdin)\n"
           "options:\n"
           "  -e CALC             evaluate CALC (repeatable; in order)\n"
           "  --csv DATA.csv      run the calculations once per row, columns as $Column\n"
           "  --json              one JSON object per result\n"
           "  --list              show the plug-in's name, description and functions\n"
           "  --plugin PATH       load this plug-in instead of the one beside fmcalc\n"
           "  --host-version N    host interface version sent with Init (default 62)\n"
           "  --dialog-answer TEXT\n"
           "                      answer the next file or folder picker with TEXT instead\n"
           "                      of asking (repeatable, in order; \"\" cancels; pickers\n"
           "                      after the last answer are cancelled)\n"
           "  -h, --help          this text\n";
}

CommandLineResult parse_command_line(const std::vector<std::string>& args) {
    CommandLineResult r;
    CommandLine& o = r.options;
    bool options_done = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        // Splits "--name=value" so both spellings work.
        std::string name = arg;
        std::optional<std::string> inline_value;
        if (!options_done && arg.starts_with("--") && arg.find('=') != std::string::npos) {
            name = arg.substr(0, arg.find('='));
            inline_value = arg.substr(arg.find('=') + 1);
        }
        auto value = [&]() -> std::optional<std::string> {
            if (inline_value)
                return inline_value;
            if (i + 1 < args.size())
                return args[++i];
            r.error = "option " + name + " needs a value";
            return std::nullopt;
        };

        if (options_done || arg == "-" || !arg.starts_with("-")) {
            if (o.file) {
                r.error = "only one calculation file can be given";
                return r;
            }
            o.file = arg;
        } else if (arg == "--") {
            options_done = true;
        } else if (name == "-e" || name == "--eval") {
            const auto v = value();
            if (!v)
                return r;
            o.expressions.push_back(*v);
        } else if (name == "--csv") {
            const auto v = value();
            if (!v)
                return r;
            o.csv = *v;
        } else if (name == "--plugin") {
            const auto v = value();
            if (!v)
                return r;
            o.plugin = *v;
        } else if (name == "--host-version") {
            const auto v = value();
            if (!v)
                return r;
            int version = 0;
            const auto [end, ec] = std::from_chars(v->data(), v->data() + v->size(), version);
            if (ec != std::errc() || end != v->data() + v->size() ||
                version < std::numeric_limits<std::int16_t>::min() ||
                version > std::numeric_limits<std::int16_t>::max()) {
                r.error = "--host-version needs a whole number from -32768 to 32767";
                return r;
            }
            o.host_version = version;
        } else if (name == "--json") {
            o.json = true;
        } else if (name == "--list") {
            o.list = true;
        } else if (name == "-h" || name == "--help") {
            o.help = true;
        } else if (name == "--dialog-answer") {
            const auto v = value();
            if (!v)
                return r;
            o.dialog_answers.push_back(*v);
        } else {
            r.error = "unknown option " + arg;
            return r;
        }
    }
    if (o.csv && o.expressions.empty() && !o.file)
        r.error = "--csv needs the calculations to run: a FILE or -e";
    return r;
}

} // namespace fmcalc
