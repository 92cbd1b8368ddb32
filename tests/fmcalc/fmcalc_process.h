// The real fmcalc binary (and the real plug-in beside it) run in a private
// scratch folder, with stdin from a pipe so it never waits for a terminal.
#pragma once

#include "support/scratch_folder.h"

#include <filesystem>
#include <string>
#include <vector>

namespace fmcalc_test {

struct Outcome {
    int exit_code = -1;
    std::string out;
    std::string err;
};

class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name) : folder_("fmcalc-" + name) {}
    const std::filesystem::path& path() const { return folder_.path(); }
    // Writes `content` to `name` in the folder (creating folders on the way).
    std::filesystem::path write(const std::string& name, const std::string& content) const;

private:
    paginor::test_support::ScratchFolder folder_;
};

// fmcalc with `args`, run in `folder`.
Outcome run_fmcalc(const ScratchFolder& folder, const std::vector<std::string>& args,
                   const std::string& input = {});

// The repository's examples folder.
std::filesystem::path examples_dir();

} // namespace fmcalc_test
