#include "markdown_examples.h"

#include <algorithm>
#include <sstream>

namespace paginor::docs {
namespace {

const std::string kArrow = "// \xE2\x86\x92"; // "// →"
const std::string kOptions = "// fmcalc ";

std::string trim_right(std::string s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\r'))
        s.pop_back();
    return s;
}

std::string trim_left(const std::string& s) {
    const auto first = s.find_first_not_of(" \t");
    return first == std::string::npos ? std::string() : s.substr(first);
}

// "(number) -2000" → {"number", "-2000"}; plain text → {"text", text}.
std::pair<std::string, std::string> typed(const std::string& expected) {
    for (const char* type : {"number", "date"}) {
        const std::string marker = std::string("(") + type + ")";
        if (expected.starts_with(marker))
            return {type, trim_left(expected.substr(marker.size()))};
    }
    return {"text", expected};
}

} // namespace

std::string Example::where(std::size_t block_line) const {
    return document + ":" + std::to_string(first_line + block_line - 1);
}

std::vector<std::string> split_options(const std::string& text) {
    std::vector<std::string> words;
    std::string word;
    bool in_word = false;
    char quote = 0;
    for (const char c : text) {
        if (quote) {
            if (c == quote)
                quote = 0;
            else
                word += c;
        } else if (c == '"' || c == '\'') {
            quote = c;
            in_word = true;
        } else if (c == ' ' || c == '\t') {
            if (in_word)
                words.push_back(word);
            word.clear();
            in_word = false;
        } else {
            word += c;
            in_word = true;
        }
    }
    if (in_word)
        words.push_back(word);
    return words;
}

std::vector<Example> extract_examples(const std::string& document_name,
                                      const std::string& markdown) {
    std::vector<Example> examples;
    std::istringstream lines(markdown);
    std::string line;
    std::size_t number = 0;
    Example* current = nullptr;
    std::size_t block_line = 0;
    while (std::getline(lines, line)) {
        ++number;
        line = trim_right(line);
        if (!current) {
            if (trim_left(line) == "```calc") {
                examples.push_back({document_name, number + 1, {}, {}, {}});
                current = &examples.back();
                block_line = 0;
            }
            continue;
        }
        if (trim_left(line) == "```") {
            current = nullptr;
            continue;
        }
        ++block_line;
        current->script += line + "\n";
        const std::string content = trim_left(line);
        if (block_line == 1 && content.starts_with(kOptions)) {
            current->options = split_options(content.substr(kOptions.size()));
        } else if (content.starts_with(kArrow)) {
            std::string expected = content.substr(kArrow.size());
            if (expected.starts_with(" "))
                expected.erase(0, 1);
            current->expectations.push_back({block_line, expected});
        }
    }
    return examples;
}

std::vector<std::string> check_example(const Example& example, const std::vector<Result>& results) {
    std::vector<std::string> problems;
    std::vector<const Result*> ordered;
    for (const Result& r : results)
        ordered.push_back(&r);
    std::sort(ordered.begin(), ordered.end(),
              [](const Result* a, const Result* b) { return a->line < b->line; });

    // Each result owns the expectations between its line and the next's.
    std::size_t e = 0;
    const auto& expected = example.expectations;
    while (e < expected.size() && (ordered.empty() || expected[e].line < ordered[0]->line)) {
        problems.push_back(example.where(expected[e].line) +
                           ": a result is expected here but no calculation comes before it");
        ++e;
    }
    for (std::size_t r = 0; r < ordered.size(); ++r) {
        const std::size_t end = r + 1 < ordered.size() ? ordered[r + 1]->line : SIZE_MAX;
        std::vector<const Expectation*> mine;
        while (e < expected.size() && expected[e].line < end)
            mine.push_back(&expected[e++]);
        if (mine.empty())
            continue; // a set-up step
        const Result& result = *ordered[r];
        const std::string where = example.where(mine.front()->line);
        if (mine.front()->text.starts_with("fmcalc: ")) {
            const std::string wanted = mine.front()->text.substr(8);
            if (result.error.find(wanted) == std::string::npos)
                problems.push_back(where + ": expected the error \"" + wanted + "\", got " +
                                   (result.error.empty() ? "the result \"" + result.value + "\""
                                                         : "\"" + result.error + "\""));
            continue;
        }
        if (!result.error.empty()) {
            problems.push_back(where + ": the calculation could not be evaluated: " + result.error);
            continue;
        }
        auto [type, first] = typed(mine.front()->text);
        std::string value = first;
        for (std::size_t i = 1; i < mine.size(); ++i)
            value += "\n" + mine[i]->text;
        if (result.type != type || result.value != value)
            problems.push_back(where + ": expected (" + type + ") \"" + value + "\", got (" +
                               result.type + ") \"" + result.value + "\"");
    }
    return problems;
}

} // namespace paginor::docs
