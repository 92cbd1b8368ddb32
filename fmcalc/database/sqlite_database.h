// A thin owner of one SQLite connection and its prepared statements. Errors
// are thrown as DatabaseError with SQLite's own message; the callers decide
// what a failure means for the calculation or the batch.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace fmcalc {

class DatabaseError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Statement;

class Database {
public:
    // Opens an existing file for reading and writing (read only when the
    // file is write-protected); a missing file is an error, not a new
    // database. Waits up to `busy_timeout_ms` for other writers.
    Database(const std::string& path, int busy_timeout_ms);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // One statement; text after it that holds another statement is refused.
    Statement prepare(std::string_view sql);
    // Statements without results (BEGIN, COMMIT, PRAGMA …).
    void execute(std::string_view sql);
    // Prepares `sql` allowing only what a read-only query needs, as SQLite's
    // authorizer sees it (reading tables, calling functions, SELECT and
    // WITH RECURSIVE): writes, transactions, ATTACH and PRAGMA are refused
    // while the statement is compiled, and sqlite3_stmt_readonly confirms.
    Statement prepare_query(std::string_view sql);

    // Rows the last INSERT, UPDATE or DELETE changed.
    int changes() const;
    // Switches the file to write-ahead logging, so that several processes
    // can write it one after another while others read.
    void use_write_ahead_log();
    sqlite3* handle() const { return db_; }
    std::string last_message() const;

private:
    sqlite3* db_ = nullptr;
};

// A prepared statement; steps through its rows.
class Statement {
public:
    Statement(Database& database, sqlite3_stmt* statement);
    ~Statement();
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&&) = delete;
    Statement(const Statement&) = delete;

    // As SQLite judges it: the statement makes no direct change to the file.
    bool read_only() const;
    int parameter_count() const;
    // 1-based, as SQLite numbers parameters.
    void bind_text(int index, std::string_view utf8);
    void bind_integer(int index, std::int64_t value);
    void bind_real(int index, double value);
    void bind_null(int index);

    // True while there is a row; false at the end. Throws on failure.
    bool step();

    int column_count() const;
    std::string column_name(int index) const;
    enum class Type { Integer, Real, Text, Blob, Null };
    Type column_type(int index) const;
    std::int64_t column_integer(int index) const;
    double column_real(int index) const;
    std::string column_text(int index) const;

private:
    Database* database_;
    sqlite3_stmt* statement_;
};

// "name" with embedded quotes doubled, for identifiers in generated SQL.
std::string quoted_identifier(std::string_view name);

} // namespace fmcalc
