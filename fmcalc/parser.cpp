#include "parser.h"

#include "unicode_text.h"

#include <algorithm>

namespace fmcalc {
namespace {

bool is_keyword(const Token& t, std::u16string_view word) {
    return t.type == TokenType::Name && equals_ignoring_case(t.text, word);
}

bool is_comparison(TokenType t) {
    return t == TokenType::Equal || t == TokenType::NotEqual || t == TokenType::Less ||
           t == TokenType::LessEqual || t == TokenType::Greater || t == TokenType::GreaterEqual;
}

class Parser {
public:
    explicit Parser(std::vector<Token> tokens) : tokens_(std::move(tokens)) {}

    NodePtr run() {
        NodePtr root = expression();
        if (current().type != TokenType::End)
            fail("expected an operator but found " + describe(current().type));
        return root;
    }

private:
    // Keeps recursion bounded on inputs such as a thousand '('.
    class DepthGuard {
    public:
        explicit DepthGuard(Parser& p) : p_(p) {
            if (++p_.depth_ > max_nesting_depth)
                p_.fail("calculation nested too deeply");
        }
        ~DepthGuard() { --p_.depth_; }
        DepthGuard(const DepthGuard&) = delete;
        DepthGuard& operator=(const DepthGuard&) = delete;

    private:
        Parser& p_;
    };

    const Token& current() const { return tokens_[index_]; }
    const Token& advance() { return tokens_[index_++]; }
    [[noreturn]] void fail(const std::string& message) const {
        throw SyntaxError(message, current().position);
    }
    void expect(TokenType type) {
        if (current().type != type)
            fail("expected " + describe(type) + " but found " + describe(current().type));
        ++index_;
    }

    static NodePtr make(Node::Kind kind, std::size_t position) {
        auto n = std::make_unique<Node>();
        n->kind = kind;
        n->position = position;
        return n;
    }

    NodePtr binary(TokenType op, std::size_t position, NodePtr left, NodePtr right) {
        auto n = make(Node::Kind::Binary, position);
        n->op = op;
        n->children.push_back(std::move(left));
        n->children.push_back(std::move(right));
        return measured(std::move(n));
    }

    NodePtr measured(NodePtr n) {
        for (const auto& child : n->children)
            n->height = std::max(n->height, child->height + 1);
        if (n->height > max_tree_height)
            throw SyntaxError("calculation too long to evaluate", n->position);
        return n;
    }

    NodePtr expression() {
        DepthGuard guard(*this);
        return or_expression();
    }

    // "or", "and" and "not" are names spelled as words; they are operators
    // wherever an operator can stand.
    NodePtr or_expression() {
        NodePtr left = and_expression();
        while (is_keyword(current(), u"or") || is_keyword(current(), u"xor")) {
            const bool exclusive = is_keyword(current(), u"xor");
            const std::size_t pos = advance().position;
            auto n = binary(TokenType::Name, pos, std::move(left), and_expression());
            n->text = exclusive ? u"xor" : u"or";
            left = std::move(n);
        }
        return left;
    }

    NodePtr and_expression() {
        NodePtr left = not_expression();
        while (is_keyword(current(), u"and")) {
            const std::size_t pos = advance().position;
            auto n = binary(TokenType::Name, pos, std::move(left), not_expression());
            n->text = u"and";
            left = std::move(n);
        }
        return left;
    }

    NodePtr not_expression() {
        if (is_keyword(current(), u"not")) {
            DepthGuard guard(*this);
            auto n = make(Node::Kind::Unary, advance().position);
            n->text = u"not";
            n->op = TokenType::Name;
            n->children.push_back(not_expression());
            return measured(std::move(n));
        }
        return comparison();
    }

    NodePtr comparison() {
        NodePtr left = concatenation();
        while (is_comparison(current().type)) {
            const Token& op = advance();
            left = binary(op.type, op.position, std::move(left), concatenation());
        }
        return left;
    }

    NodePtr concatenation() {
        NodePtr left = additive();
        while (current().type == TokenType::Ampersand) {
            const Token& op = advance();
            left = binary(op.type, op.position, std::move(left), additive());
        }
        return left;
    }

    NodePtr additive() {
        NodePtr left = multiplicative();
        while (current().type == TokenType::Plus || current().type == TokenType::Minus) {
            const Token& op = advance();
            left = binary(op.type, op.position, std::move(left), multiplicative());
        }
        return left;
    }

    NodePtr multiplicative() {
        NodePtr left = power();
        while (current().type == TokenType::Star || current().type == TokenType::Slash) {
            const Token& op = advance();
            left = binary(op.type, op.position, std::move(left), power());
        }
        return left;
    }

    NodePtr power() {
        NodePtr left = unary();
        while (current().type == TokenType::Caret) {
            const Token& op = advance();
            left = binary(op.type, op.position, std::move(left), unary());
        }
        return left;
    }

    NodePtr unary() {
        if (current().type == TokenType::Minus || current().type == TokenType::Plus) {
            DepthGuard guard(*this);
            const Token& op = advance();
            auto n = make(Node::Kind::Unary, op.position);
            n->op = op.type;
            n->children.push_back(unary());
            return measured(std::move(n));
        }
        return primary();
    }

    NodePtr primary() {
        const Token& t = current();
        switch (t.type) {
        case TokenType::Number: {
            auto n = make(Node::Kind::Number, t.position);
            n->number = t.number;
            advance();
            return n;
        }
        case TokenType::Text: {
            auto n = make(Node::Kind::Text, t.position);
            n->text = t.text;
            advance();
            return n;
        }
        case TokenType::Pilcrow: {
            auto n = make(Node::Kind::Text, t.position);
            n->text = u"\r";
            advance();
            return n;
        }
        case TokenType::Variable: {
            auto n = make(Node::Kind::Variable, t.position);
            n->text = t.text;
            advance();
            return n;
        }
        case TokenType::Name:
            return name_or_call();
        case TokenType::LeftParen: {
            advance();
            NodePtr inner = expression();
            expect(TokenType::RightParen);
            return inner;
        }
        case TokenType::LeftBracket:
            return bracket_list();
        default:
            break;
        }
        fail("expected a value but found " + describe(t.type));
    }

    NodePtr name_or_call() {
        const Token& t = advance();
        if (is_keyword(t, u"and") || is_keyword(t, u"or") || is_keyword(t, u"xor"))
            throw SyntaxError("expected a value but found '" + utf16_to_utf8(t.text) + "'",
                              t.position);
        if (current().type != TokenType::LeftParen) {
            auto n = make(Node::Kind::Name, t.position);
            n->text = t.text;
            return n;
        }
        auto call = make(Node::Kind::Call, t.position);
        call->text = t.text;
        advance();
        if (current().type == TokenType::RightParen) {
            advance();
            return call;
        }
        for (;;) {
            call->children.push_back(expression());
            if (current().type == TokenType::Semicolon) {
                advance();
                continue;
            }
            expect(TokenType::RightParen);
            return measured(std::move(call));
        }
    }

    NodePtr bracket_list() {
        auto list = make(Node::Kind::List, advance().position);
        for (;;) {
            list->children.push_back(expression());
            if (current().type == TokenType::Semicolon) {
                advance();
                continue;
            }
            expect(TokenType::RightBracket);
            return measured(std::move(list));
        }
    }

    std::vector<Token> tokens_;
    std::size_t index_ = 0;
    int depth_ = 0;
};

} // namespace

NodePtr parse_calculation(std::string_view utf8_source) {
    return Parser(tokenize(utf8_source)).run();
}

} // namespace fmcalc
