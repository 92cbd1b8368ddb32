#include "calculation_runner.h"
#include "evaluator.h"
#include "unicode_text.h"

#include <gtest/gtest.h>

namespace fmcalc {
namespace {

// Stands in for a plug-in's registrations, recording calls.
class RecordingFunctions : public ExternalFunctions {
public:
    RecordingFunctions()
        : functions_{{u"Plug_Echo", u"Plug_Echo( a ; b )", 1, 2},
                     {u"Plug_Bare", u"Plug_Bare", 0, 0},
                     {u"Plug_Optional", u"Plug_Optional( x )", 0, 1},
                     {u"Plug_Needs", u"Plug_Needs( x )", 1, 1},
                     {u"Plug_Date", u"Plug_Date", 0, 0}} {}

    const ExternalFunction* find(std::u16string_view name) const override {
        for (const auto& f : functions_)
            if (equals_ignoring_case(f.name, name))
                return &f;
        return nullptr;
    }
    Value call(const ExternalFunction& f, const std::vector<Value>& args, std::size_t) override {
        calls.push_back(utf16_to_utf8(f.name));
        if (f.name == u"Plug_Date")
            return Value::date_time({2020, 3, 15, 10, 15, 20});
        std::u16string out = f.name + u":";
        for (const Value& a : args)
            out += (a.is_number() ? u"n" : u"t") + a.as_text() + u",";
        return Value::text(out);
    }

    std::vector<std::string> calls;

private:
    std::vector<ExternalFunction> functions_;
};

std::string eval_plain(Evaluator& e, const std::string& source) {
    return plain_result(e.evaluate(source));
}

struct EvalCase {
    const char* source;
    const char* result;
};

class Calculations : public ::testing::TestWithParam<EvalCase> {};

TEST_P(Calculations, Evaluate) {
    RecordingFunctions plugin;
    Evaluator e(&plugin);
    const Value v = e.evaluate(GetParam().source);
    ASSERT_FALSE(v.is_error()) << GetParam().source << ": " << v.error_value().message;
    EXPECT_EQ(plain_result(v), GetParam().result) << GetParam().source;
}

INSTANTIATE_TEST_SUITE_P(
    Operators, Calculations,
    ::testing::Values(
        EvalCase{"1 + 2 * 3", "7"}, EvalCase{"(1 + 2) * 3", "9"}, EvalCase{"7 / 2", "3.5"},
        EvalCase{"0.1 + 0.2", "0.3"}, EvalCase{"-2000", "-2000"}, EvalCase{"2 ^ 10", "1024"},
        EvalCase{"1 - 1", "0"}, EvalCase{"\"12.50\" + 1", "13.5"}, EvalCase{"\"abc\" + 1", "1"},
        EvalCase{"1 & 2", "12"}, EvalCase{"\"a\" & \xC2\xB6 & \"b\"", "a\nb"},
        EvalCase{"\"abc\" = \"ABC\"", "1"}, EvalCase{"\"10\" < \"9\"", "1"},
        EvalCase{"10 < 9", "0"}, EvalCase{"1 = \"1\"", "1"}, EvalCase{"1 \xE2\x89\xA0 2", "1"},
        EvalCase{"1 <> 1", "0"}, EvalCase{"2 \xE2\x89\xA4 2", "1"}, EvalCase{"3 >= 4", "0"},
        EvalCase{"1 and 0", "0"}, EvalCase{"0 or 2", "1"}, EvalCase{"not 0", "1"},
        EvalCase{"1 xor 1", "0"}, EvalCase{"True and not False", "1"},
        EvalCase{"1 // note\n+ 1", "2"}));

INSTANTIATE_TEST_SUITE_P(
    ControlFlow, Calculations,
    ::testing::Values(
        EvalCase{"If ( 1 ; \"yes\" ; \"no\" )", "yes"}, EvalCase{"If ( 0 ; \"yes\" )", ""},
        EvalCase{"If ( \"\" ; 1 ; 2 )", "2"},
        EvalCase{"Case ( 0 ; \"a\" ; 1 ; \"b\" ; \"c\" )", "b"},
        EvalCase{"Case ( 0 ; \"a\" ; 0 ; \"b\" ; \"c\" )", "c"}, EvalCase{"Case ( 0 ; \"a\" )", ""},
        EvalCase{"Let ( x = 2 ; x * x )", "4"},
        EvalCase{"Let ( [ x = 2 ; y = x + 1 ] ; x * y )", "6"},
        EvalCase{"Let ( x = 1 ; Let ( x = x + 1 ; x ) & x )", "21"},
        EvalCase{"Let ( [ $v = 5 ] ; $v ) + $v", "10"}, EvalCase{"Let ( X = 1 ; x )", "1"},
        EvalCase{"While ( [ i = 0 ; s = \"\" ] ; i < 3 ; [ i = i + 1 ; s = s & i ] ; s )", "123"},
        EvalCase{"While ( i = 5 ; i < 3 ; i = i + 1 ; i )", "5"},
        // Untaken branches are not evaluated, so they cannot fail.
        EvalCase{"If ( 1 ; 1 ; 1 / 0 )", "1"}, EvalCase{"0 and 1 / 0", "0"}));

INSTANTIATE_TEST_SUITE_P(PluginCalls, Calculations,
                         ::testing::Values(EvalCase{"Plug_Echo ( \"a\" ; 2 )", "Plug_Echo:ta,n2,"},
                                           EvalCase{"plug_echo ( 1 + 1 )", "Plug_Echo:n2,"},
                                           EvalCase{"Plug_Bare", "Plug_Bare:"},
                                           EvalCase{"Plug_Optional", "Plug_Optional:"},
                                           EvalCase{"Plug_Optional ( )", "Plug_Optional:"},
                                           EvalCase{"Plug_Date", "2020-03-15 10:15:20"},
                                           EvalCase{"GetAsText ( Plug_Date ) & \"!\"",
                                                    "2020-03-15 10:15:20!"}));

TEST(Evaluator, ErrorsAndTheirPositions) {
    const struct {
        const char* source;
        const char* message_start;
        std::size_t position;
    } cases[] = {
        {"Nope ( 1 )", "unknown function Nope", 0},
        {"1 + nope", "unknown function or name nope", 4},
        {"1 + (2", "syntax error: expected ')'", 6},
        {"1 / 0", "division by zero", 2},
        {"Mod ( 1 ; 0 )", "division by zero", 0},
        {"Left ( \"a\" )", "too few parameters for function Left", 0},
        {"Plug_Bare ( 1 )", "too many parameters for function Plug_Bare", 0},
        {"Plug_Echo ( 1 ; 2 ; 3 )", "too many parameters for function Plug_Echo", 0},
        {"Plug_Needs", "function Plug_Needs needs parameters", 0},
        {"If ( 1 ; [ 1 ; 2 ] )", "a bracketed list is only allowed", 9},
        {"Let ( 1 ; 2 )", "expected a declaration", 6},
        {"While ( i = 0 ; 1 ; i = i + 1 ; i )", "While stopped after 50000 iterations", 0},
        {"10 ^ 400", "number out of range", 3},
    };
    for (const auto& c : cases) {
        RecordingFunctions plugin;
        Evaluator e(&plugin);
        const Value v = e.evaluate(c.source);
        ASSERT_TRUE(v.is_error()) << c.source;
        EXPECT_TRUE(v.error_value().message.starts_with(c.message_start))
            << c.source << ": " << v.error_value().message;
        EXPECT_EQ(v.error_value().position, c.position) << c.source;
    }
}

TEST(Evaluator, UnknownFunctionStopsTheWholeCalculationBeforeAnythingRuns) {
    RecordingFunctions plugin;
    Evaluator e(&plugin);
    EXPECT_TRUE(e.evaluate("Plug_Bare & Nope ( 1 )").is_error());
    EXPECT_TRUE(plugin.calls.empty());
}

TEST(Evaluator, VariableLifetimes) {
    Evaluator e;
    EXPECT_EQ(eval_plain(e, "Let ( [ $a = 1 ; $$b = 2 ] ; 0 )"), "0");
    EXPECT_EQ(eval_plain(e, "$a & $$B"), "12"); // names ignore case
    e.start_script_run();
    EXPECT_EQ(eval_plain(e, "$a & \"|\" & $$b"), "|2");
    // A failed calculation leaves no Let scope behind.
    EXPECT_TRUE(e.evaluate("Let ( x = 1 ; 1 / 0 )").is_error());
    EXPECT_TRUE(e.evaluate("x").is_error());
}

} // namespace
} // namespace fmcalc
