#include "lexer.h"

#include "unicode_text.h"

#include <cstdlib>

namespace fmcalc {
namespace {

constexpr char32_t pilcrow = U'\u00B6';

bool is_space(char32_t c) {
    return c == U' ' || c == U'\t' || c == U'\r' || c == U'\n' || c == U'\u00A0';
}

bool is_digit(char32_t c) {
    return c >= U'0' && c <= U'9';
}

// Operators outside ASCII cannot be part of a name.
bool is_operator_symbol(char32_t c) {
    return c == pilcrow || c == U'\u2260' || c == U'\u2264' || c == U'\u2265';
}

bool starts_name(char32_t c) {
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || c == U'_' ||
           (c >= 0x80 && !is_space(c) && !is_operator_symbol(c));
}

bool continues_name(char32_t c) {
    return starts_name(c) || is_digit(c);
}

class Lexer {
public:
    explicit Lexer(std::string_view source) : src_(utf8_to_utf32(source)) {}

    std::vector<Token> run() {
        std::vector<Token> tokens;
        for (;;) {
            skip_space_and_comments();
            if (at_end()) {
                tokens.push_back({TokenType::End, {}, 0, pos_});
                return tokens;
            }
            tokens.push_back(next_token());
        }
    }

private:
    bool at_end() const { return pos_ >= src_.size(); }
    char32_t peek(std::size_t ahead = 0) const {
        return pos_ + ahead < src_.size() ? src_[pos_ + ahead] : U'\0';
    }

    void skip_space_and_comments() {
        while (!at_end()) {
            if (is_space(peek())) {
                ++pos_;
            } else if (peek() == U'/' && peek(1) == U'/') {
                while (!at_end() && peek() != U'\n' && peek() != U'\r')
                    ++pos_;
            } else if (peek() == U'/' && peek(1) == U'*') {
                const std::size_t start = pos_;
                pos_ += 2;
                while (!at_end() && !(peek() == U'*' && peek(1) == U'/'))
                    ++pos_;
                if (at_end())
                    throw SyntaxError("unterminated comment", start);
                pos_ += 2;
            } else {
                return;
            }
        }
    }

    Token simple(TokenType type, std::size_t length) {
        Token t{type, {}, 0, pos_};
        pos_ += length;
        return t;
    }

    Token next_token() {
        const char32_t c = peek();
        if (c == U'"')
            return text_literal();
        if (is_digit(c) || (c == U'.' && is_digit(peek(1))))
            return number_literal();
        if (c == U'$')
            return variable();
        if (starts_name(c) && !is_operator_symbol(c))
            return name();
        switch (c) {
        case pilcrow:
            return simple(TokenType::Pilcrow, 1);
        case U'&':
            return simple(TokenType::Ampersand, 1);
        case U'+':
            return simple(TokenType::Plus, 1);
        case U'-':
            return simple(TokenType::Minus, 1);
        case U'*':
            return simple(TokenType::Star, 1);
        case U'/':
            return simple(TokenType::Slash, 1);
        case U'^':
            return simple(TokenType::Caret, 1);
        case U'=':
            return simple(TokenType::Equal, 1);
        case U'\u2260':
            return simple(TokenType::NotEqual, 1);
        case U'\u2264':
            return simple(TokenType::LessEqual, 1);
        case U'\u2265':
            return simple(TokenType::GreaterEqual, 1);
        case U'<':
            if (peek(1) == U'>')
                return simple(TokenType::NotEqual, 2);
            if (peek(1) == U'=')
                return simple(TokenType::LessEqual, 2);
            return simple(TokenType::Less, 1);
        case U'>':
            if (peek(1) == U'=')
                return simple(TokenType::GreaterEqual, 2);
            return simple(TokenType::Greater, 1);
        case U'(':
            return simple(TokenType::LeftParen, 1);
        case U')':
            return simple(TokenType::RightParen, 1);
        case U'[':
            return simple(TokenType::LeftBracket, 1);
        case U']':
            return simple(TokenType::RightBracket, 1);
        case U';':
            return simple(TokenType::Semicolon, 1);
        default:
            break;
        }
        throw SyntaxError("unexpected character '" + utf16_to_utf8(utf32_to_utf16({&c, 1})) + "'",
                          pos_);
    }

    // "…" with \" and \\; ¶ inside is a carriage return and \¶ a literal
    // pilcrow. Any other backslash stays as written.
    Token text_literal() {
        Token t{TokenType::Text, {}, 0, pos_};
        std::u32string value;
        ++pos_;
        for (;;) {
            if (at_end())
                throw SyntaxError("unterminated text literal", t.position);
            const char32_t c = peek();
            if (c == U'"') {
                ++pos_;
                break;
            }
            if (c == U'\\' && (peek(1) == U'"' || peek(1) == U'\\' || peek(1) == pilcrow)) {
                value += peek(1);
                pos_ += 2;
                continue;
            }
            value += (c == pilcrow) ? U'\r' : c;
            ++pos_;
        }
        t.text = utf32_to_utf16(value);
        return t;
    }

    Token number_literal() {
        Token t{TokenType::Number, {}, 0, pos_};
        std::string spelling;
        bool seen_point = false;
        while (!at_end() && (is_digit(peek()) || (peek() == U'.' && !seen_point))) {
            seen_point = seen_point || peek() == U'.';
            spelling += static_cast<char>(peek());
            ++pos_;
        }
        t.number = std::strtod(spelling.c_str(), nullptr);
        t.text = utf8_to_utf16(spelling);
        return t;
    }

    Token variable() {
        Token t{TokenType::Variable, {}, 0, pos_};
        std::u32string spelling;
        while (peek() == U'$' && spelling.size() < 2) {
            spelling += U'$';
            ++pos_;
        }
        if (!starts_name(peek()))
            throw SyntaxError("a variable needs a name after '$'", t.position);
        while (!at_end() && continues_name(peek()))
            spelling += src_[pos_++];
        t.text = utf32_to_utf16(spelling);
        return t;
    }

    Token name() {
        Token t{TokenType::Name, {}, 0, pos_};
        std::u32string spelling;
        while (!at_end() && continues_name(peek()))
            spelling += src_[pos_++];
        t.text = utf32_to_utf16(spelling);
        return t;
    }

    std::u32string src_;
    std::size_t pos_ = 0;
};

} // namespace

std::vector<Token> tokenize(std::string_view utf8_source) {
    return Lexer(utf8_source).run();
}

std::string describe(TokenType type) {
    switch (type) {
    case TokenType::Number:
        return "a number";
    case TokenType::Text:
        return "a text literal";
    case TokenType::Name:
        return "a name";
    case TokenType::Variable:
        return "a variable";
    case TokenType::Pilcrow:
        return "'\u00B6'";
    case TokenType::Ampersand:
        return "'&'";
    case TokenType::Plus:
        return "'+'";
    case TokenType::Minus:
        return "'-'";
    case TokenType::Star:
        return "'*'";
    case TokenType::Slash:
        return "'/'";
    case TokenType::Caret:
        return "'^'";
    case TokenType::Equal:
        return "'='";
    case TokenType::NotEqual:
        return "'\u2260'";
    case TokenType::Less:
        return "'<'";
    case TokenType::LessEqual:
        return "'\u2264'";
    case TokenType::Greater:
        return "'>'";
    case TokenType::GreaterEqual:
        return "'\u2265'";
    case TokenType::LeftParen:
        return "'('";
    case TokenType::RightParen:
        return "')'";
    case TokenType::LeftBracket:
        return "'['";
    case TokenType::RightBracket:
        return "']'";
    case TokenType::Semicolon:
        return "';'";
    case TokenType::End:
        return "the end of the calculation";
    }
    return "a token";
}

} // namespace fmcalc
