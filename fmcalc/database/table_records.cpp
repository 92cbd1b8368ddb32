#include "database/table_records.h"

#include "unicode_text.h"

#include <cmath>

namespace fmcalc {
namespace {

bool same_name(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i]))
            return false;
    }
    return true;
}

} // namespace

std::optional<std::size_t> find_column(const TableShape& table, std::string_view name) {
    for (std::size_t i = 0; i < table.columns.size(); ++i) {
        if (same_name(table.columns[i], name))
            return i;
    }
    return std::nullopt;
}

TableShape read_table_shape(Database& database, const std::string& table) {
    TableShape shape;
    {
        Statement lookup =
            database.prepare("SELECT name, type FROM sqlite_schema WHERE name = ?1 COLLATE NOCASE "
                             "AND type IN ('table', 'view')");
        lookup.bind_text(1, table);
        if (!lookup.step())
            throw DatabaseError("the database has no table named " + table);
        if (lookup.column_text(1) == "view")
            throw DatabaseError(table + " is a view; a batch runs over a table's records");
        shape.name = lookup.column_text(0);
    }
    {
        Statement columns = database.prepare("SELECT name FROM pragma_table_info(?1)");
        columns.bind_text(1, shape.name);
        while (columns.step())
            shape.columns.push_back(columns.column_text(0));
    }
    // A column may take the name rowid; SQLite then still knows oid and _rowid_.
    for (const char* alias : {"rowid", "oid", "_rowid_"}) {
        if (find_column(shape, alias))
            continue;
        try {
            database.prepare("SELECT " + std::string(alias) + " FROM " +
                             quoted_identifier(shape.name) + " LIMIT 0");
            shape.rowid = alias;
            return shape;
        } catch (const DatabaseError&) {
            break; // a WITHOUT ROWID table
        }
    }
    throw DatabaseError("table " + shape.name +
                        " has no rowid (WITHOUT ROWID tables cannot be run as a batch)");
}

std::vector<TableRecord> read_table_records(Database& database, const TableShape& table,
                                            const std::optional<std::string>& where) {
    std::string sql = "SELECT " + table.rowid + ", * FROM " + quoted_identifier(table.name);
    if (where)
        sql += " WHERE (" + *where + "\n)";
    sql += " ORDER BY " + table.rowid;
    Statement select = database.prepare_query(sql);
    std::vector<TableRecord> records;
    while (select.step()) {
        TableRecord record;
        record.rowid = select.column_integer(0);
        for (int c = 1; c < select.column_count(); ++c)
            record.values.push_back(column_value(select, c));
        records.push_back(std::move(record));
    }
    return records;
}

void bind_value(Statement& statement, int index, const Value& value) {
    switch (value.kind()) {
    case Value::Kind::Number: {
        const double n = value.number_value();
        // Whole numbers stay integers, so 3 is stored as 3, not 3.0.
        if (std::trunc(n) == n && std::fabs(n) < 9.0e15)
            statement.bind_integer(index, static_cast<std::int64_t>(n));
        else
            statement.bind_real(index, n);
        return;
    }
    case Value::Kind::DateTime:
        statement.bind_text(index, format_date_time(value.date_time_value()));
        return;
    case Value::Kind::Text:
    case Value::Kind::Error:
        break;
    }
    statement.bind_text(index, utf16_to_utf8(value.as_text()));
}

Value column_value(const Statement& statement, int index) {
    switch (statement.column_type(index)) {
    case Statement::Type::Integer:
        return Value::number(static_cast<double>(statement.column_integer(index)));
    case Statement::Type::Real:
        return Value::number(statement.column_real(index));
    case Statement::Type::Text:
        return Value::text(utf8_to_utf16(statement.column_text(index)));
    case Statement::Type::Blob:
    case Statement::Type::Null:
        break;
    }
    return Value::text({});
}

} // namespace fmcalc
