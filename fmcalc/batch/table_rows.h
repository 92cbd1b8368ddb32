// The rows of a database batch: one per record, every column bound as
// $Column, in rowid order.
#pragma once

#include "batch/batch_row.h"
#include "database/table_records.h"

#include <vector>

namespace fmcalc {

std::vector<BatchRow> table_rows(const TableShape& table, std::vector<TableRecord> records);

} // namespace fmcalc
