#include "batch/table_rows.h"

#include "batch/csv_rows.h"
#include "json_output.h"

namespace fmcalc {

std::vector<BatchRow> table_rows(const TableShape& table, std::vector<TableRecord> records) {
    std::vector<std::u16string> names;
    for (const std::string& column : table.columns)
        names.push_back(column_variable_name(column));
    std::vector<BatchRow> rows;
    rows.reserve(records.size());
    for (std::size_t i = 0; i < records.size(); ++i) {
        TableRecord& record = records[i];
        BatchRow row;
        row.number = i + 1;
        row.is_record = true;
        row.rowid = record.rowid;
        row.context.label = " (record " + std::to_string(row.number) + ", rowid " +
                            std::to_string(record.rowid) + ")";
        row.context.json_members = ",\"row\":" + std::to_string(row.number) +
                                   ",\"table\":" + json_string(table.name) +
                                   ",\"rowid\":" + std::to_string(record.rowid);
        for (std::size_t c = 0; c < names.size() && c < record.values.size(); ++c) {
            if (names[c].size() > 1)
                row.bindings.emplace_back(names[c], std::move(record.values[c]));
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

} // namespace fmcalc
