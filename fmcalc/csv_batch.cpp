#include "csv_batch.h"

#include "csv_reader.h"
#include "unicode_text.h"

namespace fmcalc {
namespace {

bool is_name_char(char32_t c, bool first) {
    const bool letter = (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || c == U'_' ||
                        (c >= 0x80 && c != U'\u00B6' && c != U'\u2260' && c != U'\u2264' &&
                         c != U'\u2265' && c != U'\u00A0');
    return letter || (!first && c >= U'0' && c <= U'9');
}

// Progress on one terminal line, wiped before anything else is printed.
class ProgressLine {
public:
    explicit ProgressLine(std::ostream* out) : out_(out) {}
    ~ProgressLine() { clear(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void show(std::size_t row, std::size_t total) {
        if (!out_)
            return;
        *out_ << "\rrow " << row << " of " << total << std::flush;
        shown_ = true;
    }
    void clear() {
        if (out_ && shown_)
            *out_ << "\r\033[K" << std::flush;
        shown_ = false;
    }

private:
    std::ostream* out_;
    bool shown_ = false;
};

} // namespace

std::u16string column_variable_name(std::string_view header) {
    std::u32string name = U"$";
    for (char32_t c : utf8_to_utf32(header))
        name += is_name_char(c, name.size() == 1) ? c : U'_';
    return utf32_to_utf16(name);
}

bool run_csv_batch(std::string_view csv_text, const std::string& csv_name,
                   const std::vector<NamedCalculation>& calculations, Evaluator& evaluator,
                   CalculationRunner& runner, std::ostream* progress) {
    CsvReader reader(csv_text);
    const auto header = reader.next();
    if (!header) {
        runner.report(csv_name + ": no header row");
        return false;
    }
    if (!header->error.empty()) {
        runner.report(csv_name + ":" + std::to_string(header->line) +
                      ": header row: " + header->error);
        return false;
    }
    std::vector<std::u16string> names;
    for (const std::string& column : header->fields)
        names.push_back(column_variable_name(column));

    std::vector<CsvRecord> rows;
    while (auto record = reader.next())
        rows.push_back(std::move(*record));

    bool all_ok = true;
    ProgressLine line(progress);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const CsvRecord& row = rows[i];
        const std::size_t number = i + 1;
        const std::string where = " (row " + std::to_string(number) + ")";
        line.clear();
        std::string problem = row.error;
        if (problem.empty() && row.fields.size() != names.size())
            problem = "expected " + std::to_string(names.size()) + " fields, found " +
                      std::to_string(row.fields.size());
        if (!problem.empty()) {
            runner.report(csv_name + ":" + std::to_string(row.line) + ": row " +
                          std::to_string(number) + " skipped: " + problem);
            all_ok = false;
        } else {
            evaluator.start_script_run();
            for (std::size_t c = 0; c < names.size(); ++c) {
                if (names[c].size() > 1)
                    evaluator.set_variable(names[c], Value::text(utf8_to_utf16(row.fields[c])));
            }
            evaluator.set_variable(u"$row", Value::number(static_cast<double>(number)));
            for (const NamedCalculation& calc : calculations)
                all_ok = runner.run(calc.calculation, calc.origin, where) && all_ok;
        }
        line.show(number, rows.size());
    }
    return all_ok;
}

} // namespace fmcalc
