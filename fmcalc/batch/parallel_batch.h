// Runs a batch's rows in worker processes (fmcalc itself in its worker
// mode), each with its own plug-in, and prints every row's output in row
// order as if one process had run them.
#pragma once

#include "batch/batch_row.h"
#include "calculation_runner.h"

#include <ostream>
#include <string>
#include <vector>

namespace fmcalc {

struct WorkerCommand {
    std::string program;           // this executable
    std::vector<std::string> args; // its arguments, --batch-worker among them
};

struct ParallelOutcome {
    BatchCounts counts;
    bool workers_failed_to_start = false; // nothing ran: the plug-in or database would not load
};

ParallelOutcome run_rows_in_workers(const std::vector<BatchRow>& rows,
                                    const std::vector<NamedCalculation>& calculations,
                                    const WorkerCommand& command, int jobs, OutputFormat format,
                                    std::ostream& out, std::ostream& err, std::ostream* progress);

} // namespace fmcalc
