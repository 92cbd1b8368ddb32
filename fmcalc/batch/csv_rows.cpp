#include "batch/csv_rows.h"

#include "csv_decoding.h"
#include "csv_reader.h"
#include "json_output.h"
#include "unicode_text.h"

namespace fmcalc {
namespace {

bool is_name_char(char32_t c, bool first) {
    const bool letter = (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || c == U'_' ||
                        (c >= 0x80 && c != U'\u00B6' && c != U'\u2260' && c != U'\u2264' &&
                         c != U'\u2265' && c != U'\u00A0');
    return letter || (!first && c >= U'0' && c <= U'9');
}

// "row 2 (line 3), column 1 (Name)": where a field is, for messages.
std::string field_place(std::size_t row, const CsvRecord& record, std::size_t column,
                        const std::vector<std::string>& header) {
    std::string place = (row == 0 ? std::string("the header row") : "row " + std::to_string(row)) +
                        " (line " + std::to_string(record.line) + "), column " +
                        std::to_string(column + 1);
    if (row != 0 && column < header.size() && !first_invalid_utf8(header[column]))
        place += " (" + header[column] + ")";
    return place;
}

// The first field that is not UTF-8, or nothing.
std::optional<std::string> invalid_field(std::size_t row, const CsvRecord& record,
                                         const std::vector<std::string>& header) {
    for (std::size_t c = 0; c < record.fields.size(); ++c) {
        if (const auto at = first_invalid_utf8(record.fields[c])) {
            char byte[8];
            std::snprintf(byte, sizeof byte, "0x%02X",
                          static_cast<unsigned char>(record.fields[c][*at]));
            return field_place(row, record, c, header) + ": byte " + byte +
                   " is not UTF-8; give the file's encoding with --csv-encoding (for example "
                   "--csv-encoding windows-1252)";
        }
    }
    return std::nullopt;
}

} // namespace

std::u16string column_variable_name(std::string_view header) {
    std::u32string name = U"$";
    for (char32_t c : utf8_to_utf32(header))
        name += is_name_char(c, name.size() == 1) ? c : U'_';
    return utf32_to_utf16(name);
}

CsvRows read_csv_rows(std::string bytes, const std::string& csv_name, const CsvOptions& options) {
    CsvRows result;
    const DecodedText decoded = decode_csv_bytes(std::move(bytes), options.encoding);
    if (!decoded.error.empty()) {
        result.error = csv_name + ": " + decoded.error;
        return result;
    }
    const std::string& text = decoded.utf8;
    const char delimiter = options.delimiter.value_or(detect_delimiter(text));
    CsvReader reader(text, delimiter);
    const auto header = reader.next();
    if (!header) {
        result.error = csv_name + ": no header row";
        return result;
    }
    if (!header->error.empty()) {
        result.error =
            csv_name + ":" + std::to_string(header->line) + ": header row: " + header->error;
        return result;
    }
    std::vector<CsvRecord> records;
    while (auto record = reader.next())
        records.push_back(std::move(*record));
    // A file in another encoding is refused whole: running the rows that
    // happen to be plain ASCII and skipping the others would only confuse.
    if (const auto bad = invalid_field(0, *header, header->fields)) {
        result.error = csv_name + ": " + *bad;
        return result;
    }
    for (std::size_t i = 0; i < records.size(); ++i) {
        if (const auto bad = invalid_field(i + 1, records[i], header->fields)) {
            result.error = csv_name + ": " + *bad;
            return result;
        }
    }

    std::vector<std::u16string> names;
    for (const std::string& column : header->fields)
        names.push_back(column_variable_name(column));
    for (std::size_t i = 0; i < records.size(); ++i) {
        const CsvRecord& record = records[i];
        BatchRow row;
        row.number = i + 1;
        row.context.label = " (row " + std::to_string(row.number) + ")";
        row.context.json_members = ",\"row\":" + std::to_string(row.number) +
                                   ",\"csv\":" + json_string(csv_name) +
                                   ",\"csv_line\":" + std::to_string(record.line);
        std::string problem = record.error;
        if (problem.empty() && record.fields.size() != names.size())
            problem = "expected " + std::to_string(names.size()) + " fields, found " +
                      std::to_string(record.fields.size());
        if (!problem.empty()) {
            row.skip_reason = csv_name + ":" + std::to_string(record.line) + ": row " +
                              std::to_string(row.number) + " skipped: " + problem;
        } else {
            for (std::size_t c = 0; c < names.size(); ++c) {
                if (names[c].size() > 1)
                    row.bindings.emplace_back(names[c],
                                              Value::text(utf8_to_utf16(record.fields[c])));
            }
        }
        result.rows.push_back(std::move(row));
    }
    return result;
}

} // namespace fmcalc
