#include "batch/row_runner.h"

namespace fmcalc {

RowReport RowRunner::run(const BatchRow& row) {
    RowReport report;
    evaluator.start_script_run();
    for (const auto& [name, value] : row.bindings)
        evaluator.set_variable(name, value);
    evaluator.set_variable(u"$row", Value::number(static_cast<double>(row.number)));
    const bool record = row.is_record && database && table;
    if (record)
        database->begin_record(*table, row.rowid);
    for (const NamedCalculation& calculation : calculations) {
        const Outcome outcome = runner.run(calculation, &row.context);
        report.failed = report.failed || outcome == Outcome::NotEvaluated;
        report.error_result = report.error_result || outcome == Outcome::ErrorResult;
    }
    if (!record)
        return report;
    const bool keep_writes = !report.failed;
    if (const auto problem = database->end_record(keep_writes)) {
        runner.report("record " + std::to_string(row.number) + " (rowid " +
                          std::to_string(row.rowid) + ") not saved: " + *problem,
                      row_source_json(row));
        report.failed = true;
    } else if (!keep_writes) {
        runner.report("record " + std::to_string(row.number) + " (rowid " +
                          std::to_string(row.rowid) +
                          ") keeps its old values: a calculation could not be evaluated",
                      row_source_json(row));
    }
    return report;
}

} // namespace fmcalc
