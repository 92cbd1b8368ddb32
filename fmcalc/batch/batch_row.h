// One row of a batch, from a CSV file or a table, as the script run for it
// sees it; and what running it came to.
#pragma once

#include "calculation_runner.h"
#include "value.h"

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace fmcalc {

struct BatchRow {
    std::size_t number = 0; // $row: 1 for the first row after the header, or the first record
    std::vector<std::pair<std::u16string, Value>> bindings; // "$Column" and its value
    RowContext context;
    // Non-empty: the row is not run; the text says where and why.
    std::string skip_reason;
    bool is_record = false; // a table's record, written to by SetField
    std::int64_t rowid = 0;
};

struct RowReport {
    bool failed = false;       // a calculation could not be evaluated, or the record not saved
    bool error_result = false; // a result held "!!ERROR!!"
};

struct BatchCounts {
    std::size_t done = 0;
    std::size_t error_results = 0;
    std::size_t failed = 0;
    std::size_t skipped = 0;

    void add(const RowReport& report) {
        ++done;
        error_results += report.error_result;
        failed += report.failed;
    }
    // "5 rows done, 1 with !!ERROR!!, 0 failed, 1 skipped"
    std::string summary(const std::string& unit) const {
        return std::to_string(done) + " " + unit + (done == 1 ? "" : "s") + " done, " +
               std::to_string(error_results) + " with !!ERROR!!, " + std::to_string(failed) +
               " failed, " + std::to_string(skipped) + " skipped";
    }
};

// The JSON "source" of a row on its own (a skipped row, a record not saved).
inline std::string row_source_json(const BatchRow& row) {
    // The members start with a comma, as they follow a calculation's own.
    return "{" + row.context.json_members.substr(1) + "}";
}

} // namespace fmcalc
