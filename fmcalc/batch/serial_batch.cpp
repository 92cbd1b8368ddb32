#include "batch/serial_batch.h"

#include "batch/progress_line.h"

namespace fmcalc {

BatchCounts run_rows_here(const std::vector<BatchRow>& rows, RowRunner& row_runner,
                          std::ostream* progress) {
    BatchCounts counts;
    ProgressLine line(progress);
    for (const BatchRow& row : rows) {
        line.clear();
        if (!row.skip_reason.empty()) {
            row_runner.runner.report(row.skip_reason, row_source_json(row));
            ++counts.skipped;
        } else {
            counts.add(row_runner.run(row));
        }
        line.show(row.number, rows.size());
    }
    return counts;
}

} // namespace fmcalc
