// "row N of M" on one terminal line, wiped before anything else is printed.
#pragma once

#include <ostream>

namespace fmcalc {

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

} // namespace fmcalc
