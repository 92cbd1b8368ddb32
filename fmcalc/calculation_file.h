// Splits a file of calculations into single calculations: one per line,
// continued onto the next line while a parenthesis, bracket, text literal
// or /* comment */ is open. Lines starting with # or // are comments.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace fmcalc {

struct SourceCalculation {
    std::string text;       // UTF-8, lines joined with '\n'
    std::size_t first_line; // 1-based line of the file where it starts
};

std::vector<SourceCalculation> split_calculations(std::string_view file_text);

// True while the text leaves a parenthesis, bracket, text literal or block
// comment open, i.e. the calculation goes on in the next line.
bool calculation_is_open(std::string_view text);

// The opening part of a calculation that is still open at its end: the
// code-point offset of the innermost ( or [ not closed, or of the " or /*
// that starts an unterminated text or comment, and what it is.
struct UnclosedPart {
    std::size_t offset;
    std::string message; // e.g. "( is never closed"
};
std::optional<UnclosedPart> find_unclosed_part(std::string_view text);

// Line and column (both 1-based, columns in code points) of a code-point
// offset into a calculation that starts on first_line.
struct SourcePosition {
    std::size_t line;
    std::size_t column;
};
SourcePosition locate(const SourceCalculation& calculation, std::size_t offset);

} // namespace fmcalc
