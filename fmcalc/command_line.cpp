#include "command_line.h"

#include <charconv>
#include <cstdint>
#include <limits>

namespace fmcalc {

std::string usage_text() {
    return "usage: fmcalc [options] -e CALC [-e CALC ...]\n"
           "       fmcalc [options] FILE\n"
           "       fmcalc [options] --csv DATA.csv FILE\n"
           "       fmcalc [options] --db FILE.sqlite --table NAME [--where CONDITION] FILE\n"
           "       fmcalc [options]            (interactive, or calculations on stdin)\n"
           "options:\n"
           "  -e CALC             evaluate CALC (repeatable; in order)\n"
           "  --csv DATA.csv      run the calculations once per row, columns as $Column\n"
           "  --csv-encoding NAME the CSV file's encoding (an iconv name, e.g. windows-1252;\n"
           "                      default UTF-8)\n"
           "  --delimiter C       the CSV field separator (default: , or ; or tab, whichever\n"
           "                      the header row uses)\n"
           "  --db FILE.sqlite    open this SQLite database for ExecuteSQL and SetField\n"
           "  --table NAME        run the calculations once per record of table NAME\n"
           "  --where CONDITION   only the records for which the SQL condition holds\n"
           "  --jobs N            run a batch in N worker processes (results in row order)\n"
           "  --strict            exit with status 3 when a result holds !!ERROR!!\n"
           "  --json              one JSON object per result\n"
           "  --list              show the plug-in's name, description and functions\n"
           "  --plugin PATH       load this plug-in instead of the one beside fmcalc\n"
           "  --host-version N    host interface version sent with Init (default 62)\n"
           "  --dialog-answer TEXT\n"
           "                      answer the next file or folder picker with TEXT instead\n"
           "                      of asking (repeatable, in order; \"\" cancels; pickers\n"
           "                      after the last answer are cancelled)\n"
           "  --version           fmcalc's version\n"
           "  -h, --help          this text\n";
}

std::string usage_error_line(const std::string& error) {
    return error + " (fmcalc --help lists the options)";
}

namespace {

// A whole number in [low, high], or nothing.
std::optional<int> whole_number(const std::string& text, int low, int high) {
    int n = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
    if (ec != std::errc() || end != text.data() + text.size() || n < low || n > high)
        return std::nullopt;
    return n;
}

// "," ";" "|" … a single character; "\t" and "tab" are a tab.
std::optional<char> delimiter_from(const std::string& text) {
    if (text == "\\t" || text == "tab" || text == "\t")
        return '\t';
    if (text.size() != 1 || static_cast<unsigned char>(text[0]) >= 0x80 || text[0] == '"' ||
        text[0] == '\r' || text[0] == '\n')
        return std::nullopt;
    return text[0];
}

std::string check_combination(const CommandLine& o) {
    if (o.csv && o.table)
        return "--csv and --table cannot be used together";
    if (o.table && !o.database)
        return "--table needs --db FILE";
    if (o.where && !o.table)
        return "--where needs --table NAME";
    if ((o.csv_encoding || o.delimiter) && !o.csv)
        return std::string(o.csv_encoding ? "--csv-encoding" : "--delimiter") + " needs --csv FILE";
    if (o.batch() && o.expressions.empty() && !o.file)
        return std::string(o.csv ? "--csv" : "--table") +
               " needs the calculations to run: a FILE or -e";
    if (o.jobs > 1 && !o.batch())
        return "--jobs needs a batch: --csv FILE or --db FILE --table NAME";
    return {};
}

} // namespace

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
            const auto version = whole_number(*v, std::numeric_limits<std::int16_t>::min(),
                                              std::numeric_limits<std::int16_t>::max());
            if (!version) {
                r.error = "--host-version needs a whole number from -32768 to 32767";
                return r;
            }
            o.host_version = *version;
        } else if (name == "--jobs" || name == "-j") {
            const auto v = value();
            if (!v)
                return r;
            const auto jobs = whole_number(*v, 1, max_jobs);
            if (!jobs) {
                r.error = "--jobs needs a whole number from 1 to " + std::to_string(max_jobs);
                return r;
            }
            o.jobs = *jobs;
        } else if (name == "--delimiter") {
            const auto v = value();
            if (!v)
                return r;
            o.delimiter = delimiter_from(*v);
            if (!o.delimiter) {
                r.error = "--delimiter needs one character other than a quote or a line break";
                return r;
            }
        } else if (name == "--csv-encoding" || name == "--db" || name == "--table" ||
                   name == "--where") {
            const auto v = value();
            if (!v)
                return r;
            if (v->empty()) {
                r.error = name + " needs a value";
                return r;
            }
            (name == "--csv-encoding" ? o.csv_encoding
             : name == "--db"         ? o.database
             : name == "--table"      ? o.table
                                      : o.where) = *v;
        } else if (name == "--json") {
            o.json = true;
        } else if (name == "--list") {
            o.list = true;
        } else if (name == "--version") {
            o.version = true;
        } else if (name == "--strict") {
            o.strict = true;
        } else if (name == "--batch-worker") {
            o.batch_worker = true;
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
    r.error = check_combination(o);
    return r;
}

} // namespace fmcalc
