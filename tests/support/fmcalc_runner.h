// Runs calculations through the real host program (fmcalc), the plug-in and
// the engine built beside it, as a user runs them: no shell, no terminal.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace paginor::test_support {

// One result line of `fmcalc --json`.
struct CalcResult {
    std::string type;  // "text", "number", "date", or empty for an error
    std::string value; // the text, the number as printed, or the ISO date
    std::string error; // set when the calculation could not be evaluated

    bool failed() const { return value == "!!ERROR!!"; }
};

struct FmcalcRun {
    std::vector<CalcResult> results; // the lines of --json output that are results
    int exitCode = -1;
    std::string stderrText;
    std::string stdoutText;

    // The i-th result's value, or a marker naming the missing line.
    std::string value(std::size_t index) const;
};

// A text literal of the calculation language holding `utf8` exactly.
std::string calcText(const std::string& utf8);

// `fmcalc --json FILE` on the calculations (one per line of FILE), run in
// `workingDir` when given. Each calculation must fit on one line.
FmcalcRun runCalculations(const std::vector<std::string>& calculations,
                          const std::filesystem::path& workingDir = {});

// fmcalc with arbitrary arguments; `input` is its standard input.
FmcalcRun runFmcalc(const std::vector<std::string>& args,
                    const std::filesystem::path& workingDir = {}, const std::string& input = {});

// The same with the COM registry `registry` (PAGINOR_COM_REGISTRY), for
// example the one naming the scriptable test server.
FmcalcRun runFmcalcWithRegistry(const std::string& registry, const std::vector<std::string>& args);

// A calculation giving the function's result, followed by the last error's
// number and text when the result is "!!ERROR!!".
std::string withError(const std::string& call);

} // namespace paginor::test_support
