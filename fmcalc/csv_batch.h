// Runs a list of calculations once per CSV row, each row a script run of
// its own with the columns bound as $Column and the row number as $row.
#pragma once

#include "calculation_runner.h"

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace fmcalc {

struct NamedCalculation {
    SourceCalculation calculation;
    std::string origin;
};

// "First Name" binds as $First_Name: characters a name cannot hold become
// underscores.
std::u16string column_variable_name(std::string_view header);

// Returns false when a row was malformed or a calculation failed; the batch
// goes on either way. progress, when given, shows "row N of M" on a
// terminal.
bool run_csv_batch(std::string_view csv_text, const std::string& csv_name,
                   const std::vector<NamedCalculation>& calculations, Evaluator& evaluator,
                   CalculationRunner& runner, std::ostream* progress);

} // namespace fmcalc
