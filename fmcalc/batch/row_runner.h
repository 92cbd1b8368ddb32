// Runs the script once for one batch row: a fresh script run with the row's
// variables bound, every calculation in order, and for a record, its writes
// committed at the end (or dropped when a calculation could not be
// evaluated).
#pragma once

#include "batch/batch_row.h"
#include "calculation_runner.h"
#include "database/database_functions.h"

#include <vector>

namespace fmcalc {

struct RowRunner {
    const std::vector<NamedCalculation>& calculations;
    Evaluator& evaluator;
    CalculationRunner& runner;
    DatabaseFunctions* database = nullptr; // for records
    const TableShape* table = nullptr;     // the table the records belong to

    RowReport run(const BatchRow& row);
};

} // namespace fmcalc
