// The host's own database functions, as its users know them:
//   ExecuteSQL ( query ; fieldSeparator ; rowSeparator { ; arguments… } )
//   SetField ( column ; value )
// ExecuteSQL runs one read-only statement with its ? placeholders bound to
// the arguments and gives the rows as text, or "?" when the query cannot run
// (the reason goes to the notices). SetField writes into the record a batch
// runs for; the record's writes are kept until its script ends and then
// committed together or dropped.
#pragma once

#include "calculation_runner.h"
#include "database/sqlite_database.h"
#include "database/table_records.h"
#include "evaluator.h"

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace fmcalc {

class DatabaseFunctions : public ExternalFunctions {
public:
    // `database` may be null: ExecuteSQL then answers "?" and says why.
    DatabaseFunctions(Database* database, Notices* notices);

    const ExternalFunction* find(std::u16string_view name) const override;
    Value call(const ExternalFunction& function, const std::vector<Value>& args,
               std::size_t position) override;
    const std::vector<ExternalFunction>& functions() const { return functions_; }

    // The record that SetField writes to until end_record.
    void begin_record(const TableShape& table, std::int64_t rowid);
    // Writes the record's values in one transaction when `commit`, else
    // drops them. Returns why the commit failed (the record then keeps its
    // old values).
    std::optional<std::string> end_record(bool commit);

private:
    Value execute_sql(const std::vector<Value>& args, std::size_t position);
    Value set_field(const std::vector<Value>& args, std::size_t position);

    Database* database_;
    Notices* notices_;
    std::vector<ExternalFunction> functions_;
    const TableShape* table_ = nullptr;
    std::int64_t rowid_ = 0;
    std::map<std::size_t, Value> pending_; // column → value written last
};

} // namespace fmcalc
