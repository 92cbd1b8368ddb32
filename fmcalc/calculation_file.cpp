#include "calculation_file.h"

#include "unicode_text.h"

namespace fmcalc {
namespace {

// What is still open at the end of a line.
struct OpenState {
    int depth = 0; // ( and [ not yet closed
    bool in_text = false;
    bool in_block_comment = false;

    bool open() const { return depth > 0 || in_text || in_block_comment; }

    // Follows the lexer's rules just enough to know whether the calculation
    // goes on: text literals with \" and \\, // and /* */ comments.
    void scan(std::string_view line) {
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            const char next = i + 1 < line.size() ? line[i + 1] : '\0';
            if (in_block_comment) {
                if (c == '*' && next == '/') {
                    in_block_comment = false;
                    ++i;
                }
            } else if (in_text) {
                if (c == '\\' && (next == '"' || next == '\\'))
                    ++i;
                else if (c == '"')
                    in_text = false;
            } else if (c == '"') {
                in_text = true;
            } else if (c == '/' && next == '/') {
                return;
            } else if (c == '/' && next == '*') {
                in_block_comment = true;
                ++i;
            } else if (c == '(' || c == '[') {
                ++depth;
            } else if (c == ')' || c == ']') {
                --depth;
            }
        }
    }
};

bool is_blank(std::string_view line) {
    return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

bool is_comment_line(std::string_view line) {
    const auto first = line.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return false;
    const std::string_view rest = line.substr(first);
    return rest.starts_with("#") || rest.starts_with("//");
}

} // namespace

std::vector<SourceCalculation> split_calculations(std::string_view file_text) {
    if (file_text.starts_with("\xEF\xBB\xBF"))
        file_text.remove_prefix(3);
    std::vector<SourceCalculation> calculations;
    SourceCalculation current{{}, 0};
    OpenState state;
    std::size_t line_number = 0;
    std::size_t start = 0;
    while (start <= file_text.size()) {
        auto end = file_text.find('\n', start);
        if (end == std::string_view::npos)
            end = file_text.size();
        std::string_view line = file_text.substr(start, end - start);
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        ++line_number;
        start = end + 1;
        const bool continuing = current.first_line != 0;
        if (!continuing && (is_blank(line) || is_comment_line(line)))
            continue;
        if (continuing && !state.in_text && !state.in_block_comment && is_comment_line(line))
            line = {}; // kept as an empty line so reported line numbers stay right
        if (!continuing) {
            current.first_line = line_number;
            current.text.assign(line);
        } else {
            current.text += '\n';
            current.text += line;
        }
        state.scan(line);
        if (!state.open()) {
            calculations.push_back(std::move(current));
            current = {{}, 0};
            state = {};
        }
    }
    // An unfinished calculation at the end is still handed on, so its
    // syntax error is reported rather than the text being lost.
    if (current.first_line != 0)
        calculations.push_back(std::move(current));
    return calculations;
}

bool calculation_is_open(std::string_view text) {
    OpenState state;
    std::size_t start = 0;
    while (start <= text.size()) {
        auto end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        state.scan(text.substr(start, end - start));
        start = end + 1;
    }
    return state.open();
}

SourcePosition locate(const SourceCalculation& calculation, std::size_t offset) {
    const std::u32string text = utf8_to_utf32(calculation.text);
    SourcePosition pos{calculation.first_line, 1};
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == U'\n') {
            ++pos.line;
            pos.column = 1;
        } else {
            ++pos.column;
        }
    }
    return pos;
}

} // namespace fmcalc
