#include "batch/batch_worker.h"

#include "batch/batch_messages.h"

#include <sstream>
#include <unistd.h>

namespace fmcalc {

int serve_batch_rows(Evaluator& evaluator, CalculationRunner& runner, DatabaseFunctions* database,
                     const TableShape* table) {
    const auto first = wire::read_frame(STDIN_FILENO);
    if (!first)
        return 1;
    wire::Reader setup(*first);
    if (setup.kind() != wire::Message::Calculations)
        return 1;
    const std::vector<NamedCalculation> calculations = read_calculations(setup);
    if (!setup.ok() || !wire::write_all(STDOUT_FILENO, wire::Writer(wire::Message::Ready).frame()))
        return 1;

    RowRunner row_runner{calculations, evaluator, runner, database, table};
    while (const auto frame = wire::read_frame(STDIN_FILENO)) {
        wire::Reader message(*frame);
        if (message.kind() != wire::Message::Row)
            return 1;
        std::size_t index = 0;
        const BatchRow row = read_row(message, index);
        if (!message.ok())
            return 1;
        std::ostringstream out;
        std::ostringstream err;
        runner.set_streams(out, err);
        RowOutput output;
        output.report = row_runner.run(row);
        output.out = out.str();
        output.err = err.str();
        if (!wire::write_all(STDOUT_FILENO, row_done_message(index, output)))
            return 1;
    }
    return 0;
}

} // namespace fmcalc
