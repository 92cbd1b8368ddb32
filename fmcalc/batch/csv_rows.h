// The rows of a CSV batch: the file decoded and checked, the header read,
// each row's columns bound as $Column.
#pragma once

#include "batch/batch_row.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fmcalc {

// "First Name" binds as $First_Name: characters a name cannot hold become
// underscores.
std::u16string column_variable_name(std::string_view header);

struct CsvOptions {
    std::optional<std::string> encoding; // iconv name; UTF-8 when not given
    std::optional<char> delimiter;       // detected from the header when not given
};

struct CsvRows {
    std::vector<BatchRow> rows;
    std::string error; // non-empty: the file cannot be used at all (nothing runs)
};

// `csv_name` names the file in messages and JSON sources.
CsvRows read_csv_rows(std::string bytes, const std::string& csv_name, const CsvOptions& options);

} // namespace fmcalc
