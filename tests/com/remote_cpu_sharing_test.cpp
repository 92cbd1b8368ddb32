// A short call runs its server on the caller's CPU; a long one gives the
// server its CPUs back; the calling thread's own CPUs are what they were
// after every call, however it ended.
#include "remote_test_support.h"

#include <gtest/gtest.h>

#include <sched.h>

#include <functional>

namespace {

using namespace remote_test;

cpu_set_t CpusOf(pid_t who) {
    cpu_set_t set;
    CPU_ZERO(&set);
    EXPECT_EQ(sched_getaffinity(who, sizeof set, &set), 0);
    return set;
}

// The calling thread's CPUs for the test's length, put back at its end.
class CallerCpus {
public:
    CallerCpus() : saved_(CpusOf(0)) {}
    ~CallerCpus() { sched_setaffinity(0, sizeof saved_, &saved_); }
    const cpu_set_t& Saved() const { return saved_; }

private:
    cpu_set_t saved_;
};

int FirstOf(const cpu_set_t& set) {
    for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
        if (CPU_ISSET(cpu, &set)) {
            return cpu;
        }
    }
    return -1;
}

struct CallCase {
    const char* name;
    bool callerOnOneCpu; // the host has held the calling thread on one CPU
    std::function<HRESULT(ITestWidget*)> call;
    bool serverFreed; // a long call: the server has every CPU again
};

void PrintTo(const CallCase& c, std::ostream* out) {
    *out << c.name;
}

class SharedCpuCalls : public testing::TestWithParam<CallCase> {
protected:
    paginor::ComRegistryOverride registry_{RegistryFor(Serving::LocalServer)};
    CallerCpus callerCpus_;
};

TEST_P(SharedCpuCalls, LeaveTheCallerAsItWasAndTheServerWhereItShouldBe) {
    const CallCase& c = GetParam();
    if (CPU_COUNT(&callerCpus_.Saved()) < 2) {
        GTEST_SKIP() << "one CPU: nothing to share";
    }
    const ComPtr<ITestWidget> widget = CreateWidget();
    ASSERT_TRUE(widget);
    const pid_t server = ServerPidOf(widget.get());
    // Started from this thread, the server had its CPUs.
    const cpu_set_t serverCpus = callerCpus_.Saved();

    cpu_set_t callerBefore = callerCpus_.Saved();
    if (c.callerOnOneCpu) {
        const int only = FirstOf(callerCpus_.Saved());
        CPU_ZERO(&callerBefore);
        CPU_SET(only, &callerBefore);
        ASSERT_EQ(sched_setaffinity(0, sizeof callerBefore, &callerBefore), 0);
    }

    c.call(widget.get());

    const cpu_set_t callerAfter = CpusOf(0);
    EXPECT_TRUE(CPU_EQUAL(&callerAfter, &callerBefore)) << "the caller's CPUs are restored";
    const cpu_set_t serverAfter = CpusOf(server);
    if (c.serverFreed) {
        EXPECT_TRUE(CPU_EQUAL(&serverAfter, &serverCpus));
    } else {
        EXPECT_EQ(CPU_COUNT(&serverAfter), 1);
        cpu_set_t within;
        CPU_AND(&within, &serverAfter, &callerBefore);
        EXPECT_EQ(CPU_COUNT(&within), 1) << "the server runs where the caller may";
    }
}

HRESULT ShortCall(ITestWidget* widget) {
    LONG number = 0;
    SHORT small = 0;
    return widget->GetNumbers(&number, &small);
}

HRESULT LongCall(ITestWidget* widget) {
    return widget->Misbehave(kSleepMilliseconds, 60);
}

HRESULT FailingCall(ITestWidget* widget) {
    return widget->Fail(E_FAIL, nullptr);
}

HRESULT ShortAfterLong(ITestWidget* widget) {
    LongCall(widget);
    return ShortCall(widget);
}

INSTANTIATE_TEST_SUITE_P(Calls, SharedCpuCalls,
                         testing::Values(CallCase{"Short", false, ShortCall, false},
                                         CallCase{"ShortFromOneCpu", true, ShortCall, false},
                                         CallCase{"Failing", false, FailingCall, false},
                                         CallCase{"Long", false, LongCall, true},
                                         CallCase{"LongFromOneCpu", true, LongCall, true},
                                         CallCase{"ShortAfterLong", false, ShortAfterLong, false}),
                         [](const testing::TestParamInfo<CallCase>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
