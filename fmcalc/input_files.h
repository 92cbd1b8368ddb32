// Reads the files fmcalc is given (calculations, CSV data) whole, with a
// message a user can act on when that is not possible.
#pragma once

#include <optional>
#include <string>

namespace fmcalc {

struct FileContents {
    std::optional<std::string> bytes;
    std::string error; // set when bytes is empty: "cannot read X: reason"
};

// "-" reads stdin. A folder, a missing file or an unreadable one gives an
// error naming the path and the reason.
FileContents read_input_file(const std::string& path);

} // namespace fmcalc
