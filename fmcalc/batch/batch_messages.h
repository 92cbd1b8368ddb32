// The batch's own messages in wire format: the script, a row, a row's
// output.
#pragma once

#include "batch/batch_row.h"
#include "batch/wire_format.h"

#include <string>
#include <vector>

namespace fmcalc {

std::string calculations_message(const std::vector<NamedCalculation>& calculations);
std::vector<NamedCalculation> read_calculations(wire::Reader& message);

std::string row_message(std::size_t index, const BatchRow& row);
BatchRow read_row(wire::Reader& message, std::size_t& index);

struct RowOutput {
    std::string out;
    std::string err;
    RowReport report;
};
std::string row_done_message(std::size_t index, const RowOutput& output);
RowOutput read_row_done(wire::Reader& message, std::size_t& index);

} // namespace fmcalc
