// Reads CSV as RFC 4180 describes it: fields separated by commas (or the
// delimiter given), records by CRLF or LF, fields in double quotes may hold
// delimiters, line breaks and "" for a quote. UTF-8, a leading byte-order
// mark is ignored. Blank lines are skipped.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fmcalc {

struct CsvRecord {
    std::vector<std::string> fields;
    std::size_t line = 0; // 1-based line where the record starts
    // Set when the record is malformed (quote in an unquoted field, text
    // after a closing quote, unterminated quote); fields are then partial.
    std::string error;
};

class CsvReader {
public:
    explicit CsvReader(std::string_view text, char delimiter = ',');
    // The next record, or nothing at the end of the input. A malformed
    // record is returned with its error set and reading continues after it;
    // after a quote that is never closed, with the line after the quote's,
    // so one stray quote costs one record rather than the rest of the file.
    std::optional<CsvRecord> next();

private:
    std::string_view text_;
    char delimiter_;
    std::size_t pos_ = 0;
    std::size_t line_ = 1;
};

} // namespace fmcalc
