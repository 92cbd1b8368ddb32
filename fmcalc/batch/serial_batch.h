// Runs a batch's rows one after another in this process.
#pragma once

#include "batch/batch_row.h"
#include "batch/row_runner.h"

#include <ostream>
#include <vector>

namespace fmcalc {

// progress, when given, shows "row N of M" (a terminal).
BatchCounts run_rows_here(const std::vector<BatchRow>& rows, RowRunner& row_runner,
                          std::ostream* progress);

} // namespace fmcalc
