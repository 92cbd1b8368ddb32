// Evaluates calculations one after another and writes each result (plain
// line or JSON object) to the output, and each failure as one line on the
// error stream.
#pragma once

#include "calculation_file.h"
#include "evaluator.h"

#include <functional>
#include <ostream>
#include <string>

namespace fmcalc {

enum class OutputFormat { Plain, Json };

// Plain output: text as is (carriage returns become line breaks so a
// multi-line value reads well on a terminal), numbers as the host formats
// them, dates as 2020-03-15 10:15:20.
std::string plain_result(const Value& value);

class CalculationRunner {
public:
    CalculationRunner(Evaluator& evaluator, OutputFormat format, std::ostream& out,
                      std::ostream& err)
        : evaluator_(evaluator), format_(format), out_(out), err_(err) {}

    // Called before every calculation but the first (the host idles between
    // calculations).
    void set_between_calculations(std::function<void()> hook) { between_ = std::move(hook); }

    // origin names the source in error reports (a file name, "-e[2]"),
    // context is appended to them (e.g. " (row 3)"). Returns false when the
    // calculation could not be evaluated.
    bool run(const SourceCalculation& calculation, const std::string& origin,
             const std::string& context = {});

    // Reports a problem that is not tied to one calculation (a bad CSV row).
    void report(const std::string& message);

private:
    Evaluator& evaluator_;
    OutputFormat format_;
    std::ostream& out_;
    std::ostream& err_;
    std::function<void()> between_;
    bool first_ = true;
};

} // namespace fmcalc
