#include "da_parser.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <vector>

namespace paginor::engine::forms {

namespace {

bool isDelimiter(char c) {
    return std::isspace(static_cast<unsigned char>(c)) || c == '/' || c == '[' || c == ']' ||
           c == '(' || c == ')' || c == '<' || c == '>';
}

std::vector<std::string> tokenize(const std::string& text) {
    std::vector<std::string> tokens;
    size_t i = 0;
    while (i < text.size()) {
        const char c = text[i];
        if (std::isspace(static_cast<unsigned char>(c))) {
            ++i;
            continue;
        }
        size_t start = i;
        if (c == '/') {
            ++i;
        } else if (isDelimiter(c)) {
            tokens.emplace_back(1, c);
            ++i;
            continue;
        }
        while (i < text.size() && !isDelimiter(text[i])) {
            ++i;
        }
        tokens.push_back(text.substr(start, i - start));
    }
    return tokens;
}

bool parseNumber(const std::string& token, double& value) {
    if (token.empty()) {
        return false;
    }
    char* end = nullptr;
    value = std::strtod(token.c_str(), &end);
    return end == token.c_str() + token.size() && std::isfinite(value);
}

} // namespace

DefaultAppearance parseDefaultAppearance(const std::string& da) {
    DefaultAppearance result;
    std::vector<std::string> operands;
    for (const std::string& token : tokenize(da)) {
        double number = 0;
        if (token[0] == '/' || parseNumber(token, number)) {
            operands.push_back(token);
            continue;
        }
        const size_t n = operands.size();
        if (token == "Tf" && n >= 2 && operands[n - 2][0] == '/') {
            double size = 0;
            if (parseNumber(operands[n - 1], size)) {
                result.fontName = operands[n - 2].substr(1);
                result.fontSize = size < 0 ? -size : size;
            }
        } else if ((token == "g" && n >= 1) || (token == "rg" && n >= 3) ||
                   (token == "k" && n >= 4)) {
            const size_t count = token == "g" ? 1 : token == "rg" ? 3 : 4;
            std::string op;
            bool numeric = true;
            for (size_t k = n - count; k < n; ++k) {
                numeric = numeric && parseNumber(operands[k], number);
                op += operands[k] + " ";
            }
            if (numeric) {
                result.colorOperator = op + token;
            }
        }
        operands.clear();
    }
    return result;
}

} // namespace paginor::engine::forms
