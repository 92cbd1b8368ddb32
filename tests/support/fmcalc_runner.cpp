#include "support/fmcalc_runner.h"

#include "support/json_value.h"
#include "support/process_runner.h"
#include "support/repository_paths.h"
#include "support/scratch_folder.h"

#include <cstdlib>

#include <fstream>
#include <sstream>

namespace paginor::test_support {

std::string FmcalcRun::value(std::size_t index) const {
    if (index >= results.size()) {
        return "<no result " + std::to_string(index) + ">";
    }
    const CalcResult& result = results[index];
    return result.error.empty() ? result.value : "<error: " + result.error + ">";
}

std::string calcText(const std::string& utf8) {
    static const std::string pilcrow = "\xC2\xB6";
    std::string literal = "\"";
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const char c = utf8[i];
        if (c == '"' || c == '\\') {
            literal += '\\';
            literal += c;
        } else if (c == '\r') {
            literal += pilcrow;
        } else if (c == '\n') {
            literal += "\" & Char ( 10 ) & \"";
        } else if (utf8.compare(i, pilcrow.size(), pilcrow) == 0) {
            literal += "\\" + pilcrow;
            i += pilcrow.size() - 1;
        } else {
            literal += c;
        }
    }
    return literal + "\"";
}

std::string withError(const std::string& call) {
    return "Let ( r = " + call +
           " ; If ( r = \"!!ERROR!!\" ; r & \" \" & QELT_GetLastError ( \"Number\" ) & \" \" & "
           "QELT_GetLastError ; r ) )";
}

FmcalcRun runFmcalc(const std::vector<std::string>& args, const std::filesystem::path& workingDir,
                    const std::string& input) {
    ProcessOptions options;
    options.workingDir = workingDir;
    options.standardInput = input;
    const ProcessResult process = runProcess(fmcalcBinary().string(), args, options);
    FmcalcRun run;
    run.exitCode = process.exitCode;
    run.stderrText = process.err;
    run.stdoutText = process.out;
    std::istringstream lines(process.out);
    for (std::string line; std::getline(lines, line);) {
        auto json = JsonValue::parse(line);
        if (!json || !json->isObject()) {
            continue;
        }
        CalcResult result;
        result.type = (*json)["type"].text();
        result.value = (*json)["value"].text();
        result.error = (*json)["error"].text();
        run.results.push_back(std::move(result));
    }
    return run;
}

FmcalcRun runCalculations(const std::vector<std::string>& calculations,
                          const std::filesystem::path& workingDir) {
    ScratchFolder scratch("paginor-fmcalc");
    const std::filesystem::path script = scratch.path() / "script.calc";
    {
        std::ofstream out(script, std::ios::binary);
        for (const std::string& calculation : calculations) {
            out << calculation << '\n';
        }
    }
    return runFmcalc({"--json", script.string()}, workingDir);
}

FmcalcRun runFmcalcWithRegistry(const std::string& registry, const std::vector<std::string>& args) {
    const char* before = std::getenv("PAGINOR_COM_REGISTRY");
    const std::string saved = before != nullptr ? before : "";
    ::setenv("PAGINOR_COM_REGISTRY", registry.c_str(), 1);
    FmcalcRun run = runFmcalc(args);
    if (before != nullptr) {
        ::setenv("PAGINOR_COM_REGISTRY", saved.c_str(), 1);
    } else {
        ::unsetenv("PAGINOR_COM_REGISTRY");
    }
    return run;
}

} // namespace paginor::test_support
