#include "fmcalc_process.h"

#include "support/process_runner.h"
#include "support/repository_paths.h"

namespace fmcalc_test {

namespace fs = std::filesystem;

fs::path ScratchFolder::write(const std::string& name, const std::string& content) const {
    const fs::path p = path() / name;
    fs::create_directories(p.parent_path());
    paginor::test_support::writeFile(p, content);
    return p;
}

fs::path examples_dir() {
    return paginor::test_support::examplesFolder();
}

Outcome run_fmcalc(const ScratchFolder& folder, const std::vector<std::string>& args,
                   const std::string& input) {
    paginor::test_support::ProcessOptions options;
    options.workingDir = folder.path();
    options.standardInput = input;
    const auto run =
        paginor::test_support::runProcess(paginor::test_support::fmcalcBinary(), args, options);
    return {run.signal != 0 ? 128 + run.signal : run.exitCode, run.out, run.err};
}

} // namespace fmcalc_test
