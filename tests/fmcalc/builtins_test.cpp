#include "calculation_runner.h"
#include "evaluator.h"

#include <gtest/gtest.h>

namespace fmcalc {
namespace {

struct BuiltinCase {
    const char* source;
    const char* result;
};

class Builtins : public ::testing::TestWithParam<BuiltinCase> {};

TEST_P(Builtins, Evaluate) {
    Evaluator e;
    const Value v = e.evaluate(GetParam().source);
    ASSERT_FALSE(v.is_error()) << GetParam().source << ": " << v.error_value().message;
    EXPECT_EQ(plain_result(v), GetParam().result) << GetParam().source;
}

// "😀" is one code point but two UTF-16 units; "é" is one of each.
INSTANTIATE_TEST_SUITE_P(
    Text, Builtins,
    ::testing::Values(
        BuiltinCase{"Length ( \"abc\" )", "3"}, BuiltinCase{"Length ( \"\xF0\x9F\x98\x80\" )", "2"},
        BuiltinCase{"Length ( 12.50 )", "4"}, BuiltinCase{"Length ( \"\" )", "0"},
        BuiltinCase{"Left ( \"abcdef\" ; 2 )", "ab"}, BuiltinCase{"Left ( \"abc\" ; 9 )", "abc"},
        BuiltinCase{"Left ( \"abc\" ; -1 )", ""}, BuiltinCase{"Left ( \"abc\" ; 1.9 )", "a"},
        BuiltinCase{"Right ( \"abcdef\" ; 2 )", "ef"}, BuiltinCase{"Right ( \"abc\" ; 9 )", "abc"},
        BuiltinCase{"Middle ( \"abcdef\" ; 2 ; 3 )", "bcd"},
        BuiltinCase{"Middle ( \"abc\" ; 0 ; 2 )", "ab"},
        BuiltinCase{"Middle ( \"abc\" ; 5 ; 2 )", ""},
        BuiltinCase{"Position ( \"Hello World\" ; \"o\" ; 1 ; 1 )", "5"},
        BuiltinCase{"Position ( \"Hello World\" ; \"O\" ; 1 ; 2 )", "8"},
        BuiltinCase{"Position ( \"Hello World\" ; \"o\" ; 6 ; 1 )", "8"},
        BuiltinCase{"Position ( \"Hello World\" ; \"o\" ; 11 ; -1 )", "8"},
        BuiltinCase{"Position ( \"Hello World\" ; \"o\" ; 11 ; -2 )", "5"},
        BuiltinCase{"Position ( \"Hello\" ; \"x\" ; 1 ; 1 )", "0"},
        BuiltinCase{"Position ( \"Hello\" ; \"\" ; 1 ; 1 )", "0"},
        BuiltinCase{"Position ( \"\xF0\x9F\x98\x80x\" ; \"x\" ; 1 ; 1 )", "3"},
        BuiltinCase{"Substitute ( \"a-b-c\" ; \"-\" ; \"+\" )", "a+b+c"},
        BuiltinCase{"Substitute ( \"abc\" ; [ \"a\" ; \"b\" ] ; [ \"b\" ; \"c\" ] )", "ccc"},
        BuiltinCase{"Substitute ( \"aA\" ; \"a\" ; \"x\" )", "xA"},
        BuiltinCase{"Substitute ( \"abc\" ; \"\" ; \"x\" )", "abc"},
        BuiltinCase{"Trim ( \"  a b  \" )", "a b"}, BuiltinCase{"Trim ( \"   \" )", ""},
        BuiltinCase{"Upper ( \"stra\xC3\x9F"
                    "e \xC3\xA9\" )",
                    "STRA\xC3\x9F"
                    "E \xC3\x89"},
        BuiltinCase{"Lower ( \"\xC3\x89T\xC3\x89\" )", "\xC3\xA9t\xC3\xA9"},
        BuiltinCase{"Code ( \"A\" )", "65"}, BuiltinCase{"Code ( \"ab\" )", "9800097"},
        BuiltinCase{"Code ( \"\" )", "0"}, BuiltinCase{"Char ( 65 )", "A"},
        BuiltinCase{"Char ( 9800097 )", "ab"}, BuiltinCase{"Char ( 0 )", ""},
        BuiltinCase{"Exact ( \"a\" ; \"A\" )", "0"},
        BuiltinCase{"PatternCount ( \"banana\" ; \"AN\" )", "2"}));

INSTANTIATE_TEST_SUITE_P(
    ListsAndConversions, Builtins,
    ::testing::Values(BuiltinCase{"List ( \"a\" ; \"\" ; 3 )", "a\n3"},
                      BuiltinCase{"ValueCount ( \"a\xC2\xB6"
                                  "b\xC2\xB6\" )",
                                  "2"},
                      BuiltinCase{"ValueCount ( \"a\xC2\xB6\xC2\xB6"
                                  "b\" )",
                                  "3"},
                      BuiltinCase{"ValueCount ( \"\" )", "0"},
                      BuiltinCase{"GetValue ( \"a\xC2\xB6"
                                  "b\xC2\xB6"
                                  "c\" ; 2 )",
                                  "b"},
                      BuiltinCase{"GetValue ( \"a\xC2\xB6"
                                  "b\" ; 3 )",
                                  ""},
                      BuiltinCase{"GetValue ( \"a\xC2\xB6"
                                  "b\" ; 0 )",
                                  ""},
                      BuiltinCase{"GetAsText ( 2.50 ) & \"x\"", "2.5x"},
                      BuiltinCase{"GetAsNumber ( \"-12 apples\" )", "-12"},
                      BuiltinCase{"GetAsNumber ( \"a1b2.5\" )", "12.5"},
                      BuiltinCase{"IsEmpty ( GetAsNumber ( \"abc\" ) )", "1"},
                      BuiltinCase{"IsEmpty ( \"\" )", "1"}, BuiltinCase{"IsEmpty ( 0 )", "0"},
                      BuiltinCase{"Abs ( -3 )", "3"}, BuiltinCase{"Int ( -2.7 )", "-2"},
                      BuiltinCase{"Round ( 2.345 ; 2 )", "2.35"},
                      BuiltinCase{"Round ( -2.5 ; 0 )", "-3"}, BuiltinCase{"Mod ( -7 ; 3 )", "2"},
                      BuiltinCase{"MOD ( 7 ; -3 )", "-2"}));

TEST(NumberFormat, AsADatabaseUserExpects) {
    const struct {
        double value;
        const char* text;
    } cases[] = {
        {-2000, "-2000"},   {2.5, "2.5"},
        {0.1 + 0.2, "0.3"}, {-0.0, "0"},
        {1e-5, "0.00001"},  {123456789012345, "123456789012345"},
        {1e15, "1e+15"},    {1.0 / 3, "0.333333333333333"},
        {-1e-16, "-1e-16"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(format_number(c.value), c.text) << c.value;
}

} // namespace
} // namespace fmcalc
