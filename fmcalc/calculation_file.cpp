#include "calculation_file.h"

#include "unicode_text.h"

#include <optional>
#include <vector>

namespace fmcalc {
namespace {

// What is still open at the end of a line, and where each open part began
// (byte offsets into the text scanned so far).
struct OpenState {
    std::vector<std::size_t> brackets; // ( and [ not yet closed
    std::optional<std::size_t> text_start;
    std::optional<std::size_t> comment_start;
    std::size_t scanned = 0; // bytes before the current line

    bool open() const { return !brackets.empty() || text_start || comment_start; }

    // Follows the lexer's rules just enough to know whether the calculation
    // goes on: text literals with \" and \\, // and /* */ comments.
    void scan(std::string_view line) {
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            const char next = i + 1 < line.size() ? line[i + 1] : '\0';
            if (comment_start) {
                if (c == '*' && next == '/') {
                    comment_start.reset();
                    ++i;
                }
            } else if (text_start) {
                if (c == '\\' && (next == '"' || next == '\\'))
                    ++i;
                else if (c == '"')
                    text_start.reset();
            } else if (c == '"') {
                text_start = scanned + i;
            } else if (c == '/' && next == '/') {
                break;
            } else if (c == '/' && next == '*') {
                comment_start = scanned + i;
                ++i;
            } else if (c == '(' || c == '[') {
                brackets.push_back(scanned + i);
            } else if ((c == ')' || c == ']') && !brackets.empty()) {
                brackets.pop_back();
            }
        }
        scanned += line.size() + 1; // the line and its line feed
    }

    void scan_all(std::string_view text) {
        std::size_t start = 0;
        while (start <= text.size()) {
            auto end = text.find('\n', start);
            if (end == std::string_view::npos)
                end = text.size();
            scan(text.substr(start, end - start));
            start = end + 1;
        }
    }
};

std::size_t code_points_before(std::string_view text, std::size_t byte_offset) {
    std::size_t count = 0;
    for (std::size_t i = 0; i < byte_offset && i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            ++count;
    }
    return count;
}

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
        if (continuing && !state.text_start && !state.comment_start && is_comment_line(line))
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
    state.scan_all(text);
    return state.open();
}

std::optional<UnclosedPart> find_unclosed_part(std::string_view text) {
    OpenState state;
    state.scan_all(text);
    // An open text or comment hides everything after it, so it is the
    // culprit; otherwise the innermost bracket still open.
    std::optional<std::size_t> at;
    std::string what;
    if (state.text_start) {
        at = state.text_start;
        what = "text literal \" is never closed";
    } else if (state.comment_start) {
        at = state.comment_start;
        what = "comment /* is never closed";
    } else if (!state.brackets.empty()) {
        at = state.brackets.back();
        what = text[*at] == '(' ? "( is never closed" : "[ is never closed";
    }
    if (!at)
        return std::nullopt;
    return UnclosedPart{code_points_before(text, *at), std::move(what)};
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
