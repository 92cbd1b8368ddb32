#include "parser.h"

#include "unicode_text.h"

#include <gtest/gtest.h>

namespace fmcalc {
namespace {

// Renders the tree as a fully parenthesised expression to make precedence
// visible.
std::string render(const Node& n) {
    switch (n.kind) {
    case Node::Kind::Number:
        return std::to_string(static_cast<long long>(n.number));
    case Node::Kind::Text:
        return "\"" + utf16_to_utf8(n.text) + "\"";
    case Node::Kind::Variable:
    case Node::Kind::Name:
        return utf16_to_utf8(n.text);
    case Node::Kind::Unary: {
        const std::string op = n.op == TokenType::Name ? "not " : describe(n.op).substr(1, 1);
        return "(" + op + render(*n.children[0]) + ")";
    }
    case Node::Kind::Binary: {
        const std::string op = n.op == TokenType::Name ? utf16_to_utf8(n.text) : describe(n.op);
        return "(" + render(*n.children[0]) + " " + op + " " + render(*n.children[1]) + ")";
    }
    case Node::Kind::Call:
    case Node::Kind::List: {
        std::string out = n.kind == Node::Kind::Call ? utf16_to_utf8(n.text) + "(" : "[";
        for (std::size_t i = 0; i < n.children.size(); ++i)
            out += (i ? "; " : "") + render(*n.children[i]);
        return out + (n.kind == Node::Kind::Call ? ")" : "]");
    }
    }
    return "?";
}

TEST(Parser, Precedence) {
    const struct {
        const char* source;
        const char* tree;
    } cases[] = {
        {"1 + 2 * 3", "(1 '+' (2 '*' 3))"},
        {"(1 + 2) * 3", "((1 '+' 2) '*' 3)"},
        {"1 - 2 - 3", "((1 '-' 2) '-' 3)"},
        {"-2 ^ 2", "((-2) '^' 2)"},
        {"1 + 2 & 3", "((1 '+' 2) '&' 3)"},
        {"a & b = c", "((a '&' b) '=' c)"},
        {"not a = b and c", "((not (a '=' b)) and c)"},
        {"a or b and c", "(a or (b and c))"},
        {"A AND B Or C", "((A and B) or C)"},
        {"f ( 1 ; 2 + 3 )", "f(1; (2 '+' 3))"},
        {"f()", "f()"},
        {"Let ( [ x = 1 ; $y = 2 ] ; x )", "Let([(x '=' 1); ($y '=' 2)]; x)"},
        {"QELT_ClosePDF", "QELT_ClosePDF"},
        {"\xC2\xB6 & \"x\"", "(\"\r\" '&' \"x\")"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(render(*parse_calculation(c.source)), c.tree) << c.source;
}

TEST(Parser, SyntaxErrorsCarryPosition) {
    const struct {
        const char* source;
        std::size_t position;
    } cases[] = {
        {"1 +", 3},   {"(1 + 2", 6},  {"f ( 1 ; )", 8}, {"1 2", 2},
        {"and 1", 0}, {"[ 1 ; 2", 7}, {")", 0},
    };
    for (const auto& c : cases) {
        try {
            parse_calculation(c.source);
            ADD_FAILURE() << "no error for " << c.source;
        } catch (const SyntaxError& e) {
            EXPECT_EQ(e.position(), c.position) << c.source << ": " << e.what();
        }
    }
}

TEST(Parser, RefusesInputThatWouldExhaustTheStack) {
    EXPECT_THROW(parse_calculation(std::string(100000, '(') + "1"), SyntaxError);
    EXPECT_THROW(parse_calculation(std::string(100000, '-') + "1"), SyntaxError);
    std::string long_chain = "1";
    for (int i = 0; i < 5000; ++i)
        long_chain += "+1";
    EXPECT_THROW(parse_calculation(long_chain), SyntaxError);
}

TEST(NamesIgnoringCase, EqualWhenTheyFoldAlike) {
    struct Case {
        std::u16string a, b;
        bool equal;
    };
    const Case cases[] = {
        {u"QELT_OpenPDF", u"qelt_openpdf", true},
        {u"Let", u"LET", true},
        {u"Let", u"Lex", false},
        {u"Let", u"Lets", false},
        {u"", u"", true},
        {u"_", u"\u007f", false},
        {u"[", u"{", false}, // 0x20 apart, as a letter's two cases are, but not letters
        {u"\u00c9t\u00e9", u"\u00e9T\u00c9", true},
        {u"\u00c9t\u00e9", u"Ete", false},
        {u"Stra\u00dfe", u"STRA\u00dfE", true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(equals_ignoring_case(c.a, c.b), c.equal)
            << utf16_to_utf8(c.a) << " / " << utf16_to_utf8(c.b);
        EXPECT_EQ(equals_ignoring_case(c.b, c.a), c.equal) << "either way round";
        EXPECT_EQ(equals_ignoring_case(c.a, c.b), fold_case(c.a) == fold_case(c.b))
            << "as folding both";
    }
}

} // namespace
} // namespace fmcalc
