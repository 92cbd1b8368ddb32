#include "lexer.h"

#include <gtest/gtest.h>

namespace fmcalc {
namespace {

using T = TokenType;

struct LexCase {
    const char* source;
    std::vector<TokenType> types;
};

class LexerTokens : public ::testing::TestWithParam<LexCase> {};

TEST_P(LexerTokens, ProducesTokenTypes) {
    std::vector<TokenType> types;
    for (const Token& t : tokenize(GetParam().source))
        types.push_back(t.type);
    auto expected = GetParam().types;
    expected.push_back(T::End);
    EXPECT_EQ(types, expected) << GetParam().source;
}

INSTANTIATE_TEST_SUITE_P(
    Calculations, LexerTokens,
    ::testing::Values(LexCase{"1 + 2.5", {T::Number, T::Plus, T::Number}},
                      LexCase{".5*3", {T::Number, T::Star, T::Number}},
                      LexCase{"\"a\" & \xC2\xB6", {T::Text, T::Ampersand, T::Pilcrow}},
                      LexCase{"a \xE2\x89\xA0 b <> c",
                              {T::Name, T::NotEqual, T::Name, T::NotEqual, T::Name}},
                      LexCase{"1 <= 2 \xE2\x89\xA4 3 >= 4 \xE2\x89\xA5 5",
                              {T::Number, T::LessEqual, T::Number, T::LessEqual, T::Number,
                               T::GreaterEqual, T::Number, T::GreaterEqual, T::Number}},
                      LexCase{"$x = $$y", {T::Variable, T::Equal, T::Variable}},
                      LexCase{"Let ( [ x = 1 ; y = 2 ] ; x )",
                              {T::Name, T::LeftParen, T::LeftBracket, T::Name, T::Equal, T::Number,
                               T::Semicolon, T::Name, T::Equal, T::Number, T::RightBracket,
                               T::Semicolon, T::Name, T::RightParen}},
                      LexCase{"1 // comment ( \n+ 2", {T::Number, T::Plus, T::Number}},
                      LexCase{"1 /* ( [ \" */ - 2", {T::Number, T::Minus, T::Number}},
                      LexCase{"QELT_Version", {T::Name}}, LexCase{"", {}}));

TEST(Lexer, TextLiteralEscapesAndPilcrow) {
    const struct {
        const char* source;
        std::u16string text;
    } cases[] = {
        {R"("say \"hi\"")", u"say \"hi\""},      {R"("a\\b")", u"a\\b"},
        {"\"line\xC2\xB6next\"", u"line\rnext"}, {"\"\\\xC2\xB6\"", u"\u00B6"},
        {R"("C:\temp")", u"C:\\temp"}, // other backslashes stay
        {"\"\xF0\x9F\x98\x80\"", u"\U0001F600"},
    };
    for (const auto& c : cases) {
        const auto tokens = tokenize(c.source);
        ASSERT_EQ(tokens[0].type, T::Text) << c.source;
        EXPECT_EQ(tokens[0].text, c.text) << c.source;
    }
}

TEST(Lexer, PositionsCountCodePoints) {
    const auto tokens = tokenize("\"\xC3\xA9\xC3\xA9\" & x");
    ASSERT_EQ(tokens.size(), 4u);
    EXPECT_EQ(tokens[1].position, 5u);
    EXPECT_EQ(tokens[2].position, 7u);
}

TEST(Lexer, ReportsErrorsWithPosition) {
    const struct {
        const char* source;
        std::size_t position;
    } cases[] = {
        {"1 + \"open", 4},
        {"1 /* never closed", 2},
        {"a # b", 2},
        {"$ + 1", 0},
    };
    for (const auto& c : cases) {
        try {
            tokenize(c.source);
            ADD_FAILURE() << "no error for " << c.source;
        } catch (const SyntaxError& e) {
            EXPECT_EQ(e.position(), c.position) << c.source;
        }
    }
}

} // namespace
} // namespace fmcalc
