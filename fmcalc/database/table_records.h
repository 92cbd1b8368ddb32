// A table as a batch sees it: its columns, and its records in rowid order
// with their values as the calculation language holds them.
#pragma once

#include "database/sqlite_database.h"
#include "value.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace fmcalc {

struct TableShape {
    std::string name;                 // as the schema spells it
    std::string rowid;                // the rowid alias usable here (rowid, oid or _rowid_)
    std::vector<std::string> columns; // in table order
};

struct TableRecord {
    std::int64_t rowid = 0;
    std::vector<Value> values; // one per column: numbers, text; NULL and blobs as empty text
};

// Throws DatabaseError for a missing table, a view, or a table without a
// rowid.
TableShape read_table_shape(Database& database, const std::string& table);

// The records for which `where` (an SQL condition) holds, in rowid order.
std::vector<TableRecord> read_table_records(Database& database, const TableShape& table,
                                            const std::optional<std::string>& where);

// The column whose name matches, ignoring ASCII case as SQLite does.
std::optional<std::size_t> find_column(const TableShape& table, std::string_view name);

// Binds a calculation value: whole numbers as integers, other numbers as
// reals, dates as "YYYY-MM-DD HH:MM:SS" text, text as text.
void bind_value(Statement& statement, int index, const Value& value);

// The value of a result column as the calculation language holds it.
Value column_value(const Statement& statement, int index);

} // namespace fmcalc
