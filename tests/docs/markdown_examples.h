// The runnable examples of a Markdown document: every block fenced as
// ```calc is a calculation file, and its "// →" comment lines say what each
// calculation gives:
//
//   // fmcalc --dialog-answer x.pdf     (first line, optional) extra options
//   QELT_GetNumPages                     a calculation (it may span lines)
//   // → 3                               its result, one line per line of it
//   // → (number) -2000                  a number result (also: (date))
//   // → fmcalc: unknown function Nope   it could not be evaluated; the
//                                        message contains the rest of the line
//
// A calculation followed by no "// →" line runs unchecked (a set-up step).
// A text result of several lines (carriage returns) takes one "// →" line
// per line; "// →" alone is an empty line.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace paginor::docs {

struct Expectation {
    std::size_t line = 0; // in the block, 1-based
    std::string text;     // after "// → "
};

struct Example {
    std::string document;       // the Markdown file's name, for messages
    std::size_t first_line = 0; // of the block's first line in the document
    std::string script;         // the block, as a calculation file
    std::vector<std::string> options;
    std::vector<Expectation> expectations;

    // "docs/functions.md:120"
    std::string where(std::size_t block_line = 1) const;
};

std::vector<Example> extract_examples(const std::string& document_name,
                                      const std::string& markdown);

// What a calculation starting on one line of the block gave.
struct Result {
    std::size_t line = 0; // the calculation's first line in the block
    std::string type;     // "text", "number", "date"; empty for an error
    std::string value;    // plain form: text with CR as line breaks, dates "2024-03-01 09:00:00"
    std::string error;
};

// Compares each expectation with the result of the calculation before it;
// one message per mismatch (empty when all hold).
std::vector<std::string> check_example(const Example& example, const std::vector<Result>& results);

// Splits "--a 'b c' \"d\"" the way a shell would for simple words.
std::vector<std::string> split_options(const std::string& text);

} // namespace paginor::docs
