// The database host: --db, ExecuteSQL, --table batches and SetField, through
// the real fmcalc against real SQLite files.
#include "fmcalc_process.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sqlite3.h>
#include <sstream>

namespace fmcalc_test {
namespace {

namespace fs = std::filesystem;

// Creates `path` from SQL text.
void create_database(const fs::path& path, const std::string& sql) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
    char* error = nullptr;
    const int rc = sqlite3_exec(db, sql.c_str(), nullptr, nullptr, &error);
    const std::string why = error ? error : "";
    sqlite3_free(error);
    sqlite3_close(db);
    ASSERT_EQ(rc, SQLITE_OK) << why;
}

// The rows of a query, each column as text (NULL as "NULL") joined by "|".
std::vector<std::string> query(const fs::path& path, const std::string& sql) {
    sqlite3* db = nullptr;
    std::vector<std::string> rows;
    if (sqlite3_open_v2(path.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return {"cannot open"};
    }
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &statement, nullptr) == SQLITE_OK) {
        while (sqlite3_step(statement) == SQLITE_ROW) {
            std::string row;
            for (int c = 0; c < sqlite3_column_count(statement); ++c) {
                const auto* text = sqlite3_column_text(statement, c);
                row += (c ? "|" : "") +
                       std::string(text ? reinterpret_cast<const char*>(text) : "NULL");
            }
            rows.push_back(row);
        }
    } else {
        rows.push_back(std::string("error: ") + sqlite3_errmsg(db));
    }
    sqlite3_finalize(statement);
    sqlite3_close(db);
    return rows;
}

std::string slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

const char* const people_sql = "CREATE TABLE people (id INTEGER PRIMARY KEY, name TEXT, "
                               "age INTEGER, score REAL, note TEXT);"
                               "INSERT INTO people (name, age, score) VALUES "
                               "('Ann', 41, 2.5), ('Bo', 7, NULL), ('Cy', NULL, 10);";

class DatabaseHost : public ::testing::Test {
protected:
    DatabaseHost() : folder_(::testing::UnitTest::GetInstance()->current_test_info()->name()) {}
    void SetUp() override { create_database(db(), people_sql); }
    fs::path db() const { return folder_.path() / "people.sqlite"; }
    Outcome run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--db", db().string()});
        return run_fmcalc(folder_, args);
    }
    ScratchFolder folder_;
};

TEST_F(DatabaseHost, ExecuteSqlAnswersAsDatabaseUsersKnowIt) {
    const struct {
        std::string calculation;
        std::string result;
        std::string reason; // on stderr when the result is "?"
    } cases[] = {
        {R"(ExecuteSQL ( "SELECT name, age FROM people ORDER BY id" ; "" ; "" ))",
         "Ann,41\nBo,7\nCy,", ""},
        {R"(ExecuteSQL ( "SELECT name FROM people WHERE age > ? AND name <> ?" ; "" ; "" ; 5 ; "Bo" ))",
         "Ann", ""},
        {R"(ExecuteSQL ( "SELECT name, score FROM people WHERE id < 3" ; " = " ; "; " ))",
         "Ann = 2.5; Bo = ", ""},
        {R"(ExecuteSQL ( "SELECT count(*) FROM people WHERE name = ?" ; "" ; "" ; "nobody" ))", "0",
         ""},
        {R"(ExecuteSQL ( "SELECT 1.0 * 10 / 4, 3 * 2" ; "|" ; "" ))", "2.5|6", ""},
        {R"(ExecuteSQL ( "SELECT name FROM people WHERE id = 99" ; "" ; "" ))", "", ""},
        // Invalid queries answer "?" and say why on stderr.
        {R"(ExecuteSQL ( "SELECT nope FROM people" ; "" ; "" ))", "?", "no such column: nope"},
        {R"(ExecuteSQL ( "SELECT ? + ?" ; "" ; "" ; 1 ))", "?",
         "the query has 2 ? placeholders but 1 argument was given"},
        // Nothing but reading: SQLite itself refuses the rest while compiling.
        {R"(ExecuteSQL ( "DELETE FROM people" ; "" ; "" ))", "?", "only a SELECT statement"},
        {R"(ExecuteSQL ( "UPDATE people SET age = 1" ; "" ; "" ))", "?", "only a SELECT statement"},
        {R"(ExecuteSQL ( "BEGIN" ; "" ; "" ))", "?", "only a SELECT statement"},
        {R"(ExecuteSQL ( "PRAGMA journal_mode = WAL" ; "" ; "" ))", "?", "only a SELECT statement"},
        {R"(ExecuteSQL ( "ATTACH 'other.sqlite' AS other" ; "" ; "" ))", "?",
         "only a SELECT statement"},
        {R"(ExecuteSQL ( "WITH x AS (DELETE FROM people) SELECT 1" ; "" ; "" ))", "?", ""},
        {R"(ExecuteSQL ( "SELECT 1; DELETE FROM people" ; "" ; "" ))", "?",
         "only one SQL statement"},
    };
    for (const auto& c : cases) {
        const Outcome o = run({"-e", c.calculation});
        EXPECT_EQ(o.exit_code, 0) << c.calculation << "\n" << o.err;
        EXPECT_EQ(o.out, c.result + "\n") << c.calculation;
        EXPECT_NE(o.err.find(c.reason), std::string::npos) << c.calculation << "\n" << o.err;
        if (c.result == "?") {
            EXPECT_NE(o.err.find("-e[1]:1:1: ExecuteSQL: "), std::string::npos) << o.err;
        }
    }
    // None of the refused statements changed anything.
    EXPECT_EQ(query(db(), "SELECT count(*), sum(age) FROM people"),
              std::vector<std::string>{"3|48"});
    EXPECT_FALSE(fs::exists(folder_.path() / "other.sqlite"));
}

TEST_F(DatabaseHost, WithoutADatabaseExecuteSqlSaysSo) {
    const Outcome o = run_fmcalc(folder_, {"-e", R"(ExecuteSQL ( "SELECT 1" ; "" ; "" ))"});
    EXPECT_EQ(o.out, "?\n");
    EXPECT_NE(o.err.find("no database is open (give --db FILE)"), std::string::npos) << o.err;
}

TEST_F(DatabaseHost, DatabasesThatCannotBeUsedAreUsageErrors) {
    folder_.write("not-a-database.sqlite", "plain text, not SQLite\n");
    const struct {
        std::vector<std::string> args;
        std::string message;
    } cases[] = {
        {{"--db", "missing.sqlite", "-e", "1"}, "cannot open the database missing.sqlite"},
        {{"--db", "not-a-database.sqlite", "-e", "1"}, "file is not a database"},
        {{"--db", db().string(), "--table", "nobody", "-e", "1"}, "no table named nobody"},
        {{"--db", db().string(), "--table", "people", "--where", "nope = 1", "-e", "1"},
         "no such column: nope"},
        {{"--db", db().string(), "--table", "people", "--where", "1) ; DELETE FROM people; (1",
          "-e", "1"},
         "only one SQL statement"},
        {{"--table", "people", "-e", "1"}, "--table needs --db FILE"},
    };
    for (const auto& c : cases) {
        const Outcome o = run_fmcalc(folder_, c.args);
        EXPECT_EQ(o.exit_code, 2) << c.message << "\n" << o.err;
        EXPECT_NE(o.err.find(c.message), std::string::npos) << o.err;
    }
    EXPECT_FALSE(fs::exists(folder_.path() / "missing.sqlite")); // not created by a typo
    EXPECT_EQ(query(db(), "SELECT count(*) FROM people"), std::vector<std::string>{"3"});
}

TEST_F(DatabaseHost, TableBatchBindsColumnsAndCommitsEachRecordsWrites) {
    const fs::path script = folder_.write(
        "people.calc", "$row & \" \" & $name & \" \" & $age\n"
                       "SetField ( \"note\" ; \"seen \" & $row ) & \" \" & SetField ( \"AGE\" ; "
                       "$age + 1 ) & \" \" & SetField ( \"score\" ; $score * 2 )\n");
    const Outcome o = run({"--table", "people", "--where", "name <> 'Bo'", script.string()});
    EXPECT_EQ(o.exit_code, 0) << o.err;
    EXPECT_EQ(o.out, "1 Ann 41\nseen 1 42 5\n2 Cy \nseen 2 1 20\n");
    EXPECT_NE(o.err.find("fmcalc: 2 records done, 0 with !!ERROR!!, 0 failed, 0 skipped"),
              std::string::npos)
        << o.err;
    // Numbers are stored as numbers, text as text; Bo was not selected.
    EXPECT_EQ(
        query(db(), "SELECT name, age, typeof(age), score, typeof(score), note FROM people"),
        (std::vector<std::string>{"Ann|42|integer|5.0|real|seen 1", "Bo|7|integer|NULL|null|NULL",
                                  "Cy|1|integer|20.0|real|seen 2"}));
}

TEST_F(DatabaseHost, ARecordWhoseScriptFailsKeepsItsOldValues) {
    const fs::path script = folder_.write(
        "fail.calc", "SetField ( \"note\" ; \"changed\" )\n"
                     "If ( $name = \"Bo\" ; SetField ( \"no_such_column\" ; 1 ) ; \"fine\" )\n");
    const Outcome o = run({"--json", "--table", "people", script.string()});
    EXPECT_EQ(o.exit_code, 1);
    EXPECT_NE(o.err.find("SetField: table people has no column \"no_such_column\" (record 2, "
                         "rowid 2)"),
              std::string::npos)
        << o.err;
    EXPECT_NE(o.err.find("record 2 (rowid 2) keeps its old values"), std::string::npos) << o.err;
    EXPECT_NE(o.err.find("3 records done, 0 with !!ERROR!!, 1 failed, 0 skipped"),
              std::string::npos)
        << o.err;
    EXPECT_NE(o.out.find("\"source\":{\"file\":\"" + script.string() +
                         "\",\"line\":2,\"row\":2,\"table\":\"people\",\"rowid\":2}"),
              std::string::npos)
        << o.out;
    EXPECT_EQ(query(db(), "SELECT ifnull(note, 'NULL') FROM people ORDER BY id"),
              (std::vector<std::string>{"changed", "NULL", "changed"}));
}

TEST_F(DatabaseHost, ARecordThatCannotBeSavedIsReportedAndRolledBack) {
    create_database(folder_.path() / "checked.sqlite",
                    "CREATE TABLE t (v INTEGER CHECK (v < 10), w TEXT);"
                    "INSERT INTO t VALUES (1, 'a'), (2, 'b');");
    const Outcome o = run_fmcalc(folder_, {"--db", "checked.sqlite", "--table", "t", "-e",
                                           "SetField ( \"w\" ; \"new\" ) & SetField ( \"v\" ; "
                                           "$v * 9 )"});
    EXPECT_EQ(o.exit_code, 1);
    EXPECT_NE(o.err.find("record 2 (rowid 2) not saved: CHECK constraint failed"),
              std::string::npos)
        << o.err;
    EXPECT_EQ(query(folder_.path() / "checked.sqlite", "SELECT v, w FROM t"),
              (std::vector<std::string>{"9|new", "2|b"}));
}

TEST_F(DatabaseHost, SetFieldNeedsARecord) {
    const Outcome o = run({"-e", "SetField ( \"name\" ; 1 )"});
    EXPECT_EQ(o.exit_code, 1);
    EXPECT_NE(o.err.find("SetField writes into the record of a batch"), std::string::npos) << o.err;
}

TEST_F(DatabaseHost, WorkersCommitTheirOwnRecordsAndPrintInRowOrder) {
    std::string sql = "CREATE TABLE n (k INTEGER, doubled INTEGER, worker TEXT);";
    for (int k = 1; k <= 40; ++k)
        sql += "INSERT INTO n (k) VALUES (" + std::to_string(k) + ");";
    create_database(folder_.path() / "n.sqlite", sql);
    const std::vector<std::string> script = {
        "--db",    "n.sqlite",
        "--table", "n",
        "-e",      "$row & \":\" & SetField ( \"doubled\" ; $k * 2 )",
        "-e",      "ExecuteSQL ( \"SELECT count(*) FROM n WHERE k = ?\" ; \"\" ; \"\" ; $k )"};
    std::vector<std::string> parallel = script;
    parallel.insert(parallel.begin(), {"--jobs", "4"});
    const Outcome o = run_fmcalc(folder_, parallel);
    EXPECT_EQ(o.exit_code, 0) << o.err;
    std::string expected;
    for (int k = 1; k <= 40; ++k)
        expected += std::to_string(k) + ":" + std::to_string(2 * k) + "\n1\n";
    EXPECT_EQ(o.out, expected);
    EXPECT_NE(o.err.find("40 records done, 0 with !!ERROR!!, 0 failed, 0 skipped"),
              std::string::npos)
        << o.err;
    EXPECT_EQ(query(folder_.path() / "n.sqlite", "SELECT count(*) FROM n WHERE doubled = 2 * k"),
              std::vector<std::string>{"40"});
    EXPECT_EQ(query(folder_.path() / "n.sqlite", "PRAGMA journal_mode"),
              std::vector<std::string>{"wal"});
}

// The two database examples, as a user runs them: fill one PDF per member,
// then read the filled forms back into another table.
TEST_F(DatabaseHost, BundledExamplesFillFormsAndReadThemBack) {
    fs::create_directories(folder_.path() / "out");
    fs::copy(examples_dir(), folder_.path() / "examples");
    const fs::path members = folder_.path() / "out" / "members.sqlite";
    create_database(members, slurp(examples_dir() / "members.sql"));

    const Outcome fill = run_fmcalc(folder_, {"--db", "out/members.sqlite", "--table", "members",
                                              "examples/fill-from-db.calc"});
    EXPECT_EQ(fill.exit_code, 0) << fill.err;
    EXPECT_EQ(fill.out.find("!!ERROR!!"), std::string::npos) << fill.out;
    EXPECT_EQ(query(members, "SELECT id, pdf, pages FROM members ORDER BY id"),
              (std::vector<std::string>{"1|out/member-1.pdf|2", "2|out/member-2.pdf|2",
                                        "3|out/member-3.pdf|2", "4|out/member-4.pdf|2"}));

    const Outcome read = run_fmcalc(folder_, {"--db", "out/members.sqlite", "--table",
                                              "returned_forms", "examples/read-back-to-db.calc"});
    EXPECT_EQ(read.exit_code, 0) << read.err;
    // What the forms hold now matches what the members table put in; the
    // database's line separator in the form is a carriage return.
    EXPECT_EQ(query(members, "SELECT f.fields FROM returned_forms f JOIN members m ON f.path = "
                             "m.pdf WHERE f.name = m.name AND f.country = m.country AND "
                             "f.plan = m.plan AND f.subscribe = m.subscribe AND f.colours = "
                             "replace(m.colours, char(10), char(13)) AND f.address = "
                             "replace(m.address, char(10), char(13))"),
              (std::vector<std::string>{"6", "6", "6", "6"}));
}

// The committed database is members.sql loaded: the two may not drift apart.
TEST(BundledDatabase, MatchesItsSql) {
    ScratchFolder folder("BundledDatabase");
    const fs::path fresh = folder.path() / "fresh.sqlite";
    create_database(fresh, slurp(examples_dir() / "members.sql"));
    const fs::path bundled = examples_dir() / "members.sqlite";
    for (const char* sql : {"SELECT * FROM members", "SELECT * FROM returned_forms",
                            "SELECT sql FROM sqlite_schema ORDER BY name"})
        EXPECT_EQ(query(bundled, sql), query(fresh, sql)) << sql;
}

} // namespace
} // namespace fmcalc_test
