#include "database/database_functions.h"

#include "builtins.h"
#include "unicode_text.h"

namespace fmcalc {
namespace {

constexpr char16_t execute_sql_name[] = u"ExecuteSQL";
constexpr char16_t set_field_name[] = u"SetField";

// A result column as ExecuteSQL writes it.
std::u16string column_text(const Statement& statement, int index) {
    switch (statement.column_type(index)) {
    case Statement::Type::Integer:
        return utf8_to_utf16(std::to_string(statement.column_integer(index)));
    case Statement::Type::Real:
        return utf8_to_utf16(format_number(statement.column_real(index)));
    case Statement::Type::Text:
        return utf8_to_utf16(statement.column_text(index));
    case Statement::Type::Blob:
    case Statement::Type::Null:
        break;
    }
    return {};
}

// Rolls back unless committed, so a failed write leaves nothing behind.
class WriteTransaction {
public:
    explicit WriteTransaction(Database& database) : database_(database) {
        // IMMEDIATE takes the write lock now (waiting up to the busy
        // timeout) instead of failing half-way when another writer holds it.
        database_.execute("BEGIN IMMEDIATE");
    }
    ~WriteTransaction() {
        if (!done_) {
            try {
                database_.execute("ROLLBACK");
            } catch (const DatabaseError&) {
                // SQLite has rolled back by itself already.
            }
        }
    }
    WriteTransaction(const WriteTransaction&) = delete;
    WriteTransaction& operator=(const WriteTransaction&) = delete;
    void commit() {
        database_.execute("COMMIT");
        done_ = true;
    }

private:
    Database& database_;
    bool done_ = false;
};

} // namespace

DatabaseFunctions::DatabaseFunctions(Database* database, Notices* notices)
    : database_(database), notices_(notices),
      functions_{{execute_sql_name,
                  u"ExecuteSQL ( query ; fieldSeparator ; rowSeparator { ; arguments… } )", 3, -1},
                 {set_field_name, u"SetField ( column ; value )", 2, 2}} {}

const ExternalFunction* DatabaseFunctions::find(std::u16string_view name) const {
    for (const ExternalFunction& f : functions_) {
        if (equals_ignoring_case(f.name, name))
            return &f;
    }
    return nullptr;
}

Value DatabaseFunctions::call(const ExternalFunction& function, const std::vector<Value>& args,
                              std::size_t position) {
    if (function.name == execute_sql_name)
        return execute_sql(args, position);
    return set_field(args, position);
}

Value DatabaseFunctions::execute_sql(const std::vector<Value>& args, std::size_t position) {
    const auto fail = [&](const std::string& why) {
        if (notices_)
            notices_->push_back({"ExecuteSQL: " + why, position});
        return Value::text(u"?");
    };
    if (!database_)
        return fail("no database is open (give --db FILE)");
    // Empty separators mean the defaults, as in the host.
    std::u16string field_separator = args[1].as_text();
    std::u16string row_separator = args[2].as_text();
    if (field_separator.empty())
        field_separator = u",";
    if (row_separator.empty())
        row_separator = u"\r";
    try {
        Statement query = database_->prepare_query(utf16_to_utf8(args[0].as_text()));
        const int placeholders = query.parameter_count();
        const int given = static_cast<int>(args.size()) - 3;
        if (placeholders != given)
            return fail("the query has " + std::to_string(placeholders) + " ? placeholder" +
                        (placeholders == 1 ? "" : "s") + " but " + std::to_string(given) +
                        " argument" + (given == 1 ? " was" : "s were") + " given");
        for (int i = 0; i < given; ++i)
            bind_value(query, i + 1, args[static_cast<std::size_t>(i) + 3]);
        std::u16string result;
        bool first_row = true;
        while (query.step()) {
            if (!first_row)
                result += row_separator;
            first_row = false;
            for (int c = 0; c < query.column_count(); ++c) {
                if (c > 0)
                    result += field_separator;
                result += column_text(query, c);
            }
        }
        return Value::text(std::move(result));
    } catch (const DatabaseError& e) {
        return fail(e.what());
    }
}

Value DatabaseFunctions::set_field(const std::vector<Value>& args, std::size_t position) {
    const std::string column = utf16_to_utf8(args[0].as_text());
    if (!table_)
        throw EvaluationError("SetField writes into the record of a batch: run with --db FILE "
                              "--table NAME",
                              position);
    const auto index = find_column(*table_, column);
    if (!index)
        throw EvaluationError(
            "SetField: table " + table_->name + " has no column \"" + column + "\"", position);
    pending_[*index] = args[1];
    return args[1];
}

void DatabaseFunctions::begin_record(const TableShape& table, std::int64_t rowid) {
    table_ = &table;
    rowid_ = rowid;
    pending_.clear();
}

std::optional<std::string> DatabaseFunctions::end_record(bool commit) {
    const TableShape* table = table_;
    table_ = nullptr;
    std::map<std::size_t, Value> writes;
    writes.swap(pending_);
    if (!commit || writes.empty() || !database_ || !table)
        return std::nullopt;
    std::string sql = "UPDATE " + quoted_identifier(table->name) + " SET ";
    bool first = true;
    for (const auto& [column, value] : writes) {
        sql += (first ? "" : ", ") + quoted_identifier(table->columns[column]) + " = ?";
        first = false;
    }
    sql += " WHERE " + table->rowid + " = ?";
    try {
        WriteTransaction transaction(*database_);
        Statement update = database_->prepare(sql);
        int index = 1;
        for (const auto& [column, value] : writes)
            bind_value(update, index++, value);
        update.bind_integer(index, rowid_);
        update.step();
        if (database_->changes() == 0)
            return "the record is no longer in table " + table->name;
        transaction.commit();
    } catch (const DatabaseError& e) {
        return e.what();
    }
    return std::nullopt;
}

} // namespace fmcalc
