// The worker side of a --jobs batch: fmcalc started by fmcalc with
// --batch-worker. It has loaded its own plug-in (and opened its own
// database connection); it takes the script and then one row at a time on
// stdin and answers each with the row's output on stdout.
#pragma once

#include "batch/row_runner.h"

namespace fmcalc {

// Returns the process's exit status: 0 at the end of input, 1 when the
// messages made no sense.
int serve_batch_rows(Evaluator& evaluator, CalculationRunner& runner, DatabaseFunctions* database,
                     const TableShape* table);

} // namespace fmcalc
