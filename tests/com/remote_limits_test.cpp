// A local server that exceeds its limits or dies: the call fails with the
// platform's RPC codes and a description that names the cause and what the
// call was doing; later calls on its objects fail at once; the next
// creation starts a fresh server.
#include "remote_test_support.h"

#include "com/remoting/server_limits.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <optional>
#include <string>

namespace {

using namespace remote_test;
using namespace std::chrono_literals;

constexpr HRESULT kCallFailed = HRESULT_FROM_WIN32(RPC_S_CALL_FAILED);
constexpr HRESULT kUnavailable = HRESULT_FROM_WIN32(RPC_S_SERVER_UNAVAILABLE);

struct LossCase {
    const char* name;
    LONG how;
    LONG amount;
    const char* cause;    // what the descriptions say happened
    bool stoppedByClient; // whether the client stopped the server
    const char* seconds;  // the per-call time limit the case runs under
};

void PrintTo(const LossCase& c, std::ostream* out) {
    *out << c.name;
}

class ServerLoss : public testing::TestWithParam<LossCase> {
protected:
    paginor::ComRegistryOverride registry_{RegistryFor(Serving::LocalServer)};
    ScopedEnvironment memory_{paginor::remoting::kMemoryLimitVariable, "300"};
    ScopedEnvironment time_{paginor::remoting::kCallTimeLimitVariable, GetParam().seconds};
};

TEST_P(ServerLoss, FailsTheCallWithItsCauseAndLeavesNothingRunning) {
    const LossCase& loss = GetParam();
    const ComPtr<ITestWidget> widget = CreateWidget();
    ASSERT_TRUE(widget);
    const pid_t server = ServerPidOf(widget.get());

    const auto started = std::chrono::steady_clock::now();
    EXPECT_EQ(widget->Misbehave(loss.how, loss.amount), kCallFailed);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 30s);
    const std::string during = " while misbehaving on the widget \"first\"";
    EXPECT_EQ(ErrorDescription(), std::string("The widget server ") + loss.cause + during +
                                      (loss.stoppedByClient ? " and was stopped" : ""));
    EXPECT_TRUE(EndsWithin(server, 1s)) << "the lost server was reaped";

    // Later calls fail at once with the server unavailable.
    LONG number = 0;
    SHORT small = 0;
    EXPECT_EQ(widget->GetNumbers(&number, &small), kUnavailable);
    EXPECT_EQ(ErrorDescription(),
              std::string("The widget server is no longer running: it ") + loss.cause + during);
    // What travelled with the reference is still known.
    BstrHolder name;
    EXPECT_EQ(widget->GetName(name.put()), S_OK);

    const ComPtr<ITestWidget> fresh = CreateWidget();
    ASSERT_TRUE(fresh);
    EXPECT_NE(ServerPidOf(fresh.get()), server);
}

INSTANTIATE_TEST_SUITE_P(
    Causes, ServerLoss,
    testing::Values(
        LossCase{"MemoryLimit", kHoldMebibytes, 1000, "exceeded its 300 MiB memory limit", true,
                 "60"},
        LossCase{"TimeLimit", kSleepMilliseconds, 600000,
                 "did not finish within its 1.5-second time limit", true, "1.5"},
        LossCase{"Abort", kAbort, 0, "stopped unexpectedly (Aborted)", false, "60"},
        LossCase{"Exit", kExitWithStatus, 3, "stopped unexpectedly (exit status 3)", false, "60"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ServerLimits, DefaultsAndTheirEnvironmentVariables) {
    using paginor::remoting::ServerLimits;
    struct Case {
        const char* memory;
        const char* time;
        std::uint64_t memoryBytes;
        long long milliseconds;
    };
    const Case cases[] = {
        {nullptr, nullptr, 2048ull << 20, 60000},
        {"512", "2.5", 512ull << 20, 2500},
        {"0", "0", 0, 0},                     // no limits
        {"lots", "-1", 2048ull << 20, 60000}, // not numbers: the defaults
        {"100MB", "", 2048ull << 20, 60000},
    };
    for (const Case& c : cases) {
        std::optional<ScopedEnvironment> memory;
        std::optional<ScopedEnvironment> time;
        if (c.memory != nullptr) {
            memory.emplace(paginor::remoting::kMemoryLimitVariable, c.memory);
        }
        if (c.time != nullptr) {
            time.emplace(paginor::remoting::kCallTimeLimitVariable, c.time);
        }
        const ServerLimits limits = ServerLimits::FromEnvironment();
        EXPECT_EQ(limits.memoryBytes, c.memoryBytes) << (c.memory ? c.memory : "unset");
        EXPECT_EQ(limits.callTime.count(), c.milliseconds) << (c.time ? c.time : "unset");
    }
    EXPECT_EQ(Utf8(paginor::remoting::DescribeMemorySize(2048ull << 20)), "2 GiB");
    EXPECT_EQ(Utf8(paginor::remoting::DescribeMemorySize(1536ull << 20)), "1.5 GiB");
    EXPECT_EQ(Utf8(paginor::remoting::DescribeMemorySize(300ull << 20)), "300 MiB");
}

TEST(ServerStart, AServerThatCannotStartFailsTheCreation) {
    const std::string registry = testing::TempDir() + "unstartable_registry.txt";
    {
        std::ofstream out(registry);
        out << "progid Test.Widget {2F6E3C10-7A44-4B1D-9E52-130C6A778002}\n"
            << "local {2F6E3C10-7A44-4B1D-9E52-130C6A778002} /nonexistent/server\n";
    }
    paginor::ComRegistryOverride use(registry);
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(u"Test.Widget", &clsid), S_OK);
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_ALL, IID_IUnknown, &object),
              CO_E_SERVER_EXEC_FAILURE);
    EXPECT_EQ(object, nullptr);
    // A class with only a local server is not served to an in-process request.
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, &object),
              REGDB_E_CLASSNOTREG);
}

} // namespace
