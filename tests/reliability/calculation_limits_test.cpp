// Calculations that would run for hours or take all memory must end with an
// error: the language bounds one While loop, and must bound what loops do
// together and how long a text may grow. Each runs in a child process with a
// time limit (and, outside sanitizer builds, a memory limit).
#include "child_process.h"
#include "evaluator.h"
#include "process_memory.h"

#include <gtest/gtest.h>

#include <sys/resource.h>

#include <string>

namespace {

using namespace reliability;

struct RunawayCalculation {
    std::string name;
    std::string source;
};
void PrintTo(const RunawayCalculation& c, std::ostream* out) {
    *out << c.name;
}

class RunawayCalculations : public ::testing::TestWithParam<RunawayCalculation> {};

TEST_P(RunawayCalculations, EndWithAnError) {
    const ChildOutcome outcome = RunInChild(
        [] {
            if (!kAddressSanitizer) {
                const rlimit limit{1ul << 30, 1ul << 30};
                ::setrlimit(RLIMIT_AS, &limit);
            }
            fmcalc::Evaluator evaluator;
            return evaluator.evaluate(GetParam().source).is_error() ? 0 : 1;
        },
        10);
    EXPECT_TRUE(outcome.Clean()) << outcome.Describe();
}

INSTANTIATE_TEST_SUITE_P(
    Language, RunawayCalculations,
    ::testing::Values(
        RunawayCalculation{"NestedWhileLoops",
                           "While ( [ i = 0 ] ; i < 40000 ; [ i = i + 1 ; j = While ( [ k = 0 ] ; "
                           "k < 40000 ; [ k = k + 1 ] ; k ) ] ; i )"},
        RunawayCalculation{"TextDoubledByConcatenation",
                           "While ( [ s = \"ab\" ; i = 0 ] ; i < 40 ; [ s = s & s ; i = i + 1 ] ; "
                           "Length ( s ) )"},
        RunawayCalculation{"TextDoubledBySubstitution",
                           "While ( [ s = \"ab\" ; i = 0 ] ; i < 40 ; [ s = Substitute ( s ; \"a\" "
                           "; \"aa\" ) & s ; i = i + 1 ] ; Length ( s ) )"}),
    [](const auto& info) { return info.param.name; });

} // namespace
