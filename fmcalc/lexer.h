// Splits one calculation into tokens. Positions are offsets in code points
// from the start of the calculation, so error reports point at the column a
// user sees.
#pragma once

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace fmcalc {

enum class TokenType {
    Number,
    Text,     // text literal, escapes resolved
    Name,     // function name, Let variable, and/or/not
    Variable, // $name or $$name (text keeps the dollars)
    Pilcrow,  // a bare ¶: a carriage return
    Ampersand,
    Plus,
    Minus,
    Star,
    Slash,
    Caret,
    Equal,
    NotEqual, // ≠ or <>
    Less,
    LessEqual, // ≤ or <=
    Greater,
    GreaterEqual, // ≥ or >=
    LeftParen,
    RightParen,
    LeftBracket,
    RightBracket,
    Semicolon,
    End,
};

struct Token {
    TokenType type;
    std::u16string text; // literal text, name, or number spelling
    double number = 0;
    std::size_t position = 0;
};

class SyntaxError : public std::runtime_error {
public:
    SyntaxError(const std::string& message, std::size_t position)
        : std::runtime_error(message), position_(position) {}
    std::size_t position() const { return position_; }

private:
    std::size_t position_;
};

// Throws SyntaxError for an unterminated text literal or comment, or a
// character that starts no token.
std::vector<Token> tokenize(std::string_view utf8_source);

std::string describe(TokenType type);

} // namespace fmcalc
