#include "database/sqlite_database.h"

#include <sqlite3.h>

namespace fmcalc {
namespace {

// What a read-only query may do while SQLite compiles it.
int allow_reading_only(void*, int action, const char*, const char*, const char*, const char*) {
    switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_FUNCTION:
    case SQLITE_RECURSIVE:
        return SQLITE_OK;
    default:
        return SQLITE_DENY;
    }
}

// Clears the authorizer again on every way out of prepare_query.
class AuthorizerScope {
public:
    explicit AuthorizerScope(sqlite3* db) : db_(db) {
        sqlite3_set_authorizer(db_, allow_reading_only, nullptr);
    }
    ~AuthorizerScope() { sqlite3_set_authorizer(db_, nullptr, nullptr); }
    AuthorizerScope(const AuthorizerScope&) = delete;
    AuthorizerScope& operator=(const AuthorizerScope&) = delete;

private:
    sqlite3* db_;
};

} // namespace

std::string quoted_identifier(std::string_view name) {
    std::string quoted = "\"";
    for (const char c : name) {
        quoted += c;
        if (c == '"')
            quoted += '"';
    }
    return quoted + "\"";
}

Database::Database(const std::string& path, int busy_timeout_ms) {
    const int rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        const std::string why = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
        sqlite3_close(db_);
        db_ = nullptr;
        throw DatabaseError("cannot open the database " + path + ": " + why);
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_timeout(db_, busy_timeout_ms);
    // A file that is not a database opens without complaint; reading the
    // schema tells.
    try {
        execute("SELECT count(*) FROM sqlite_schema");
    } catch (const DatabaseError& e) {
        sqlite3_close(db_);
        db_ = nullptr;
        throw DatabaseError("cannot open the database " + path + ": " + e.what());
    }
}

Database::~Database() {
    sqlite3_close(db_);
}

int Database::changes() const {
    return sqlite3_changes(db_);
}

void Database::use_write_ahead_log() {
    Statement mode = prepare("PRAGMA journal_mode = WAL");
    if (!mode.step() || mode.column_text(0) != "wal")
        throw DatabaseError("cannot switch the database to write-ahead logging");
}

std::string Database::last_message() const {
    return sqlite3_errmsg(db_);
}

Statement Database::prepare(std::string_view sql) {
    sqlite3_stmt* statement = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &statement, &tail) !=
        SQLITE_OK)
        throw DatabaseError(last_message());
    Statement result(*this, statement);
    if (!statement)
        throw DatabaseError("no SQL statement");
    // Whatever follows must be empty or comments: SQLite compiles it to no
    // statement.
    const std::string_view rest(tail, static_cast<std::size_t>(sql.data() + sql.size() - tail));
    sqlite3_stmt* next = nullptr;
    const int rc =
        sqlite3_prepare_v2(db_, rest.data(), static_cast<int>(rest.size()), &next, nullptr);
    sqlite3_finalize(next);
    if (rc != SQLITE_OK || next)
        throw DatabaseError("only one SQL statement can be given");
    return result;
}

Statement Database::prepare_query(std::string_view sql) {
    std::optional<Statement> statement;
    {
        const AuthorizerScope only_reading(db_);
        try {
            statement.emplace(prepare(sql));
        } catch (const DatabaseError& e) {
            if (sqlite3_errcode(db_) == SQLITE_AUTH)
                throw DatabaseError("only a SELECT statement can be run here (" +
                                    std::string(e.what()) + ")");
            throw;
        }
    }
    if (!statement->read_only())
        throw DatabaseError("only a read-only statement can be run here");
    return std::move(*statement);
}

void Database::execute(std::string_view sql) {
    Statement statement = prepare(sql);
    while (statement.step()) {
    }
}

Statement::Statement(Database& database, sqlite3_stmt* statement)
    : database_(&database), statement_(statement) {}

Statement::Statement(Statement&& other) noexcept
    : database_(other.database_), statement_(other.statement_) {
    other.statement_ = nullptr;
}

Statement::~Statement() {
    sqlite3_finalize(statement_);
}

bool Statement::read_only() const {
    return sqlite3_stmt_readonly(statement_) != 0;
}

int Statement::parameter_count() const {
    return sqlite3_bind_parameter_count(statement_);
}

void Statement::bind_text(int index, std::string_view utf8) {
    if (sqlite3_bind_text64(statement_, index, utf8.data(), utf8.size(), SQLITE_TRANSIENT,
                            SQLITE_UTF8) != SQLITE_OK)
        throw DatabaseError(database_->last_message());
}

void Statement::bind_integer(int index, std::int64_t value) {
    if (sqlite3_bind_int64(statement_, index, value) != SQLITE_OK)
        throw DatabaseError(database_->last_message());
}

void Statement::bind_real(int index, double value) {
    if (sqlite3_bind_double(statement_, index, value) != SQLITE_OK)
        throw DatabaseError(database_->last_message());
}

void Statement::bind_null(int index) {
    if (sqlite3_bind_null(statement_, index) != SQLITE_OK)
        throw DatabaseError(database_->last_message());
}

bool Statement::step() {
    const int rc = sqlite3_step(statement_);
    if (rc == SQLITE_ROW)
        return true;
    if (rc == SQLITE_DONE)
        return false;
    throw DatabaseError(database_->last_message());
}

int Statement::column_count() const {
    return sqlite3_column_count(statement_);
}

std::string Statement::column_name(int index) const {
    const char* name = sqlite3_column_name(statement_, index);
    return name ? name : "";
}

Statement::Type Statement::column_type(int index) const {
    switch (sqlite3_column_type(statement_, index)) {
    case SQLITE_INTEGER:
        return Type::Integer;
    case SQLITE_FLOAT:
        return Type::Real;
    case SQLITE_TEXT:
        return Type::Text;
    case SQLITE_BLOB:
        return Type::Blob;
    default:
        return Type::Null;
    }
}

std::int64_t Statement::column_integer(int index) const {
    return sqlite3_column_int64(statement_, index);
}

double Statement::column_real(int index) const {
    return sqlite3_column_double(statement_, index);
}

std::string Statement::column_text(int index) const {
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement_, index));
    return text ? std::string(text,
                              static_cast<std::size_t>(sqlite3_column_bytes(statement_, index)))
                : std::string();
}

} // namespace fmcalc
