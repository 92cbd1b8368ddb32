#include "csv_reader.h"

namespace fmcalc {

CsvReader::CsvReader(std::string_view text, char delimiter) : text_(text), delimiter_(delimiter) {
    if (text_.starts_with("\xEF\xBB\xBF"))
        text_.remove_prefix(3);
}

std::optional<CsvRecord> CsvReader::next() {
    // Skip blank lines between records.
    while (pos_ < text_.size() && (text_[pos_] == '\n' || text_[pos_] == '\r')) {
        if (text_[pos_] == '\n')
            ++line_;
        ++pos_;
    }
    if (pos_ >= text_.size())
        return std::nullopt;

    CsvRecord record;
    record.line = line_;
    std::string field;
    auto fail = [&](const std::string& message) {
        if (record.error.empty())
            record.error = message;
    };
    auto at_field_end = [&] {
        return pos_ >= text_.size() || text_[pos_] == delimiter_ || text_[pos_] == '\n' ||
               (text_[pos_] == '\r' && (pos_ + 1 >= text_.size() || text_[pos_ + 1] == '\n'));
    };
    for (;;) {
        const bool quoted = pos_ < text_.size() && text_[pos_] == '"';
        if (quoted) {
            const std::size_t quote_line = line_;
            const std::size_t quote_at = pos_;
            ++pos_;
            bool closed = false;
            while (pos_ < text_.size()) {
                const char c = text_[pos_++];
                if (c == '"') {
                    if (pos_ < text_.size() && text_[pos_] == '"') {
                        field += '"';
                        ++pos_;
                    } else {
                        closed = true;
                        break;
                    }
                } else {
                    if (c == '\n')
                        ++line_;
                    field += c;
                }
            }
            if (!closed) {
                fail("quoted field opened on line " + std::to_string(quote_line) +
                     " is never closed");
                // Go on with the line after the quote's.
                const std::size_t line_end = text_.find('\n', quote_at);
                pos_ = line_end == std::string_view::npos ? text_.size() : line_end + 1;
                line_ = quote_line + (line_end == std::string_view::npos ? 0 : 1);
                record.fields.push_back(std::move(field));
                return record;
            } else if (!at_field_end())
                fail("text after a closing quote");
        }
        // The unquoted field, or whatever stray text follows a closing quote.
        while (!at_field_end()) {
            const char c = text_[pos_++];
            if (c == '"' && !quoted)
                fail("a quote inside an unquoted field");
            field += c;
        }
        record.fields.push_back(std::move(field));
        field.clear();
        if (pos_ < text_.size() && text_[pos_] == delimiter_) {
            ++pos_;
            continue;
        }
        // End of record: CRLF, LF, a lone CR at the very end, or end of input.
        if (pos_ < text_.size() && text_[pos_] == '\r')
            ++pos_;
        if (pos_ < text_.size() && text_[pos_] == '\n') {
            ++pos_;
            ++line_;
        }
        return record;
    }
}

} // namespace fmcalc
