// The bounds that keep one calculation from hanging fmcalc or taking all its
// memory: While iterations across a whole calculation, the longest text, and
// failures (out of memory and the like) that must end only the calculation.
#include "builtins.h"
#include "calculation_runner.h"
#include "evaluator.h"
#include "unicode_text.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>
#include <string>

namespace fmcalc {
namespace {

// Small bounds, so that reaching them takes little time and memory.
constexpr EvaluationLimits small_limits{
    .while_iterations = 100, .calculation_iterations = 1000, .text_length = 64};

// Plug-in functions that misbehave: a result past the text limit, and
// failures thrown out of the call.
class FaultyFunctions : public ExternalFunctions {
public:
    const ExternalFunction* find(std::u16string_view name) const override {
        for (const auto& f : functions_)
            if (equals_ignoring_case(f.name, name))
                return &f;
        return nullptr;
    }
    Value call(const ExternalFunction& f, const std::vector<Value>&, std::size_t) override {
        if (f.name == u"Plug_Huge")
            return Value::text(std::u16string(small_limits.text_length + 1, u'x'));
        if (f.name == u"Plug_NoMemory")
            throw std::bad_alloc();
        throw std::runtime_error("plug-in state broken");
    }

private:
    std::vector<ExternalFunction> functions_{{u"Plug_Huge", u"Plug_Huge", 0, 0},
                                             {u"Plug_NoMemory", u"Plug_NoMemory", 0, 0},
                                             {u"Plug_Broken", u"Plug_Broken", 0, 0}};
};

struct LimitCase {
    const char* source;
    const char* result;        // expected plain result, or nullptr for an error
    const char* message_start; // when an error is expected
    std::size_t position;
};

void expect_outcome(Evaluator& e, const LimitCase& c) {
    const Value v = e.evaluate(c.source);
    if (c.result) {
        ASSERT_FALSE(v.is_error()) << c.source << ": " << v.error_value().message;
        EXPECT_EQ(plain_result(v), c.result) << c.source;
        return;
    }
    ASSERT_TRUE(v.is_error()) << c.source;
    EXPECT_TRUE(v.error_value().message.starts_with(c.message_start))
        << c.source << ": " << v.error_value().message;
    EXPECT_EQ(v.error_value().position, c.position) << c.source;
}

TEST(CalculationLimits, TextLength) {
    const std::string limit = std::to_string(small_limits.text_length);
    FaultyFunctions plugin;
    Evaluator e(&plugin, small_limits);
    // $full holds exactly the longest text allowed, $half half of it.
    ASSERT_EQ(plain_result(e.evaluate("Let ( [ $half = While ( [ s = \"a\" ; i = 0 ] ; i < 5 ; "
                                      "[ s = s & s ; i = i + 1 ] ; s ) ; $full = $half & $half ] ; "
                                      "Length ( $full ) )")),
              limit);
    const std::string too_long = "text longer than " + limit + " code units";
    const LimitCase cases[] = {
        {"Length ( $half & $half )", limit.c_str(), nullptr, 0},
        {"$full & \"b\"", nullptr, too_long.c_str(), 6},
        {"\"b\" & $full", nullptr, too_long.c_str(), 4},
        {"Length ( Substitute ( $half ; \"a\" ; \"bb\" ) )", limit.c_str(), nullptr, 0},
        {"Substitute ( $half ; \"a\" ; \"bbc\" )", nullptr, too_long.c_str(), 0},
        {"Substitute ( $full ; [ \"a\" ; \"b\" ] ; [ \"b\" ; \"cc\" ] )", nullptr, too_long.c_str(),
         0},
        {"1 + List ( $full ; \"b\" )", nullptr, too_long.c_str(), 4},
        {"Plug_Huge", nullptr, too_long.c_str(), 0},
        {"While ( [ s = \"ab\" ; i = 0 ] ; i < 40 ; [ s = s & s ; i = i + 1 ] ; Length ( s ) )",
         nullptr, too_long.c_str(), 48},
        {"While ( [ s = \"a\" ; i = 0 ] ; i < 40 ; [ s = Substitute ( s ; \"a\" ; \"aa\" ) ; "
         "i = i + 1 ] ; Length ( s ) )",
         nullptr, too_long.c_str(), 45},
    };
    for (const auto& c : cases)
        expect_outcome(e, c);
}

TEST(CalculationLimits, WhileIterationsAcrossOneCalculation) {
    const std::string budget = "calculation stopped after 1000 While iterations in all";
    const LimitCase cases[] = {
        // 10 outer and 10 * 99 inner iterations: exactly the budget.
        {"While ( [ i = 0 ; n = 0 ] ; i < 10 ; [ i = i + 1 ; n = n + While ( [ k = 0 ] ; "
         "k < 99 ; [ k = k + 1 ] ; k ) ] ; n )",
         "990", nullptr, 0},
        {"While ( [ i = 0 ] ; i < 20 ; [ i = i + 1 ; j = While ( [ k = 0 ] ; k < 100 ; "
         "[ k = k + 1 ] ; k ) ] ; i )",
         nullptr, budget.c_str(), 47},
        {"While ( [ i = 0 ] ; i < 11 ; [ i = i + 1 ; j = While ( [ k = 0 ] ; k < 99 ; "
         "[ k = k + 1 ] ; k ) ] ; i )",
         nullptr, budget.c_str(), 0},
        {"While ( i = 0 ; 1 ; i = i + 1 ; i )", nullptr, "While stopped after 100 iterations", 0},
    };
    Evaluator e(nullptr, small_limits);
    for (const auto& c : cases)
        expect_outcome(e, c);
    // The budget belongs to one calculation: the next starts afresh.
    expect_outcome(e, cases[0]);
}

TEST(CalculationLimits, FailuresInsideACallEndOnlyThatCalculation) {
    FaultyFunctions plugin;
    Evaluator e(&plugin);
    const LimitCase cases[] = {
        {"Let ( x = 1 ; Plug_NoMemory )", nullptr, "out of memory", 0},
        {"1 & Plug_Broken", nullptr, "cannot evaluate: plug-in state broken", 0},
        // Nothing is left behind: no Let scope, and the evaluator goes on.
        {"x", nullptr, "unknown function or name x", 0},
        {"1 + 1", "2", nullptr, 0},
    };
    for (const auto& c : cases)
        expect_outcome(e, c);
}

} // namespace
} // namespace fmcalc
