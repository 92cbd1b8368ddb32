#include "batch/batch_messages.h"

#include "unicode_text.h"

namespace fmcalc {

std::string calculations_message(const std::vector<NamedCalculation>& calculations) {
    wire::Writer message(wire::Message::Calculations);
    message.number(calculations.size());
    for (const NamedCalculation& c : calculations) {
        message.number(static_cast<std::uint64_t>(c.origin.kind));
        message.text(c.origin.file);
        message.number(c.origin.index);
        message.number(c.calculation.first_line);
        message.text(c.calculation.text);
    }
    return message.frame();
}

std::vector<NamedCalculation> read_calculations(wire::Reader& message) {
    std::vector<NamedCalculation> calculations;
    const std::uint64_t count = message.number();
    for (std::uint64_t i = 0; i < count && message.ok(); ++i) {
        NamedCalculation c;
        c.origin.kind = static_cast<CalculationOrigin::Kind>(message.number());
        c.origin.file = message.text();
        c.origin.index = message.number();
        c.calculation.first_line = message.number();
        c.calculation.text = message.text();
        calculations.push_back(std::move(c));
    }
    return calculations;
}

std::string row_message(std::size_t index, const BatchRow& row) {
    wire::Writer message(wire::Message::Row);
    message.number(index);
    message.number(row.number);
    message.text(row.context.label);
    message.text(row.context.json_members);
    message.number(row.is_record ? 1 : 0);
    message.number(static_cast<std::uint64_t>(row.rowid));
    message.number(row.bindings.size());
    for (const auto& [name, value] : row.bindings) {
        message.text(utf16_to_utf8(name));
        message.value(value);
    }
    return message.frame();
}

BatchRow read_row(wire::Reader& message, std::size_t& index) {
    BatchRow row;
    index = message.number();
    row.number = message.number();
    row.context.label = message.text();
    row.context.json_members = message.text();
    row.is_record = message.number() != 0;
    row.rowid = static_cast<std::int64_t>(message.number());
    const std::uint64_t count = message.number();
    for (std::uint64_t i = 0; i < count && message.ok(); ++i) {
        std::u16string name = utf8_to_utf16(message.text());
        Value value = message.value();
        row.bindings.emplace_back(std::move(name), std::move(value));
    }
    return row;
}

std::string row_done_message(std::size_t index, const RowOutput& output) {
    wire::Writer message(wire::Message::RowDone);
    message.number(index);
    message.text(output.out);
    message.text(output.err);
    message.number(output.report.failed ? 1 : 0);
    message.number(output.report.error_result ? 1 : 0);
    return message.frame();
}

RowOutput read_row_done(wire::Reader& message, std::size_t& index) {
    RowOutput output;
    index = message.number();
    output.out = message.text();
    output.err = message.text();
    output.report.failed = message.number() != 0;
    output.report.error_result = message.number() != 0;
    return output;
}

} // namespace fmcalc
