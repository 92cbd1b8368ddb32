// Evaluates calculations one after another and writes each result (plain
// line or JSON object) to the output, and each failure as one line on the
// error stream.
#pragma once

#include "calculation_file.h"
#include "evaluator.h"

#include <functional>
#include <ostream>
#include <string>
#include <vector>

namespace fmcalc {

enum class OutputFormat { Plain, Json };

// Plain output: text as is (carriage returns become line breaks so a
// multi-line value reads well on a terminal), numbers as the host formats
// them, dates as 2020-03-15 10:15:20.
std::string plain_result(const Value& value);

// Where a calculation came from: a file (name as given, "-" for stdin), the
// N-th -e, or the N-th entry at the prompt.
struct CalculationOrigin {
    enum class Kind { File, Expression, Prompt };
    Kind kind = Kind::File;
    std::string file;
    std::size_t index = 0;

    static CalculationOrigin of_file(std::string name) { return {Kind::File, std::move(name), 0}; }
    static CalculationOrigin of_expression(std::size_t n) { return {Kind::Expression, {}, n}; }
    static CalculationOrigin of_prompt(std::size_t n) { return {Kind::Prompt, {}, n}; }

    // As messages name it: "fill.calc", "stdin", "-e[2]", "input[3]".
    std::string label() const;
    // The JSON members that locate a calculation starting on `line`:
    // "file":"fill.calc","line":3 or "e":2 or "input":3.
    std::string json_members(std::size_t line) const;
};

struct NamedCalculation {
    SourceCalculation calculation;
    CalculationOrigin origin;
};

// The batch row a calculation runs for: appended to messages
// (" (row 3)") and to each JSON "source" (,"row":3,"csv":…).
struct RowContext {
    std::string label;
    std::string json_members;
};

// A problem found while a calculation ran that did not stop it (ExecuteSQL's
// reason for answering "?"), reported at the position given.
struct Notice {
    std::string message;
    std::size_t position = 0;
};
using Notices = std::vector<Notice>;

enum class Outcome {
    Result,      // evaluated
    ErrorResult, // evaluated, and the result holds "!!ERROR!!"
    NotEvaluated,
};

class CalculationRunner {
public:
    CalculationRunner(Evaluator& evaluator, OutputFormat format, std::ostream& out,
                      std::ostream& err)
        : evaluator_(evaluator), format_(format), out_(&out), err_(&err) {}

    // Called before every calculation but the first (the host idles between
    // calculations).
    void set_between_calculations(std::function<void()> hook) { between_ = std::move(hook); }
    // With --strict every "!!ERROR!!" result is reported on the error stream,
    // with the last error that `last_error` describes.
    void set_strict(std::function<std::string()> last_error) {
        strict_last_error_ = std::move(last_error);
    }
    // Notices that functions leave here during a calculation are reported
    // after it, at their position.
    void set_notices(Notices* notices) { notices_ = notices; }
    void set_streams(std::ostream& out, std::ostream& err) {
        out_ = &out;
        err_ = &err;
    }

    Outcome run(const NamedCalculation& calculation, const RowContext* row = nullptr);

    // Reports a problem that is not tied to one calculation (a bad CSV row);
    // with --json also as an {"error":…} object carrying `json_source`.
    void report(const std::string& message, const std::string& json_source = {});

    OutputFormat format() const { return format_; }

private:
    void report_notices(const NamedCalculation& calculation, const RowContext* row);

    Evaluator& evaluator_;
    OutputFormat format_;
    std::ostream* out_;
    std::ostream* err_;
    std::function<void()> between_;
    std::function<std::string()> strict_last_error_;
    Notices* notices_ = nullptr;
    bool first_ = true;
};

// "!!ERROR!!", the plug-in's failure text, anywhere in the result.
bool holds_error_text(const Value& value);

} // namespace fmcalc
