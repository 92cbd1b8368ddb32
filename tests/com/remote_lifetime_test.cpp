// A local server's life: its own process, one per client process, shared by
// every object it hands out; references travel, and the process ends with
// its last object or with its client, even when the client is killed.
#include "remote_test_support.h"

#include "com/remoting/wire_protocol.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>

namespace {

using namespace remote_test;
using namespace std::chrono_literals;

class LocalServerLifetime : public testing::Test {
protected:
    paginor::ComRegistryOverride registry_{RegistryFor(Serving::LocalServer)};
};

TEST_F(LocalServerLifetime, ObjectsShareOneServerProcessThatEndsWithTheLastOfThem) {
    ComPtr<ITestWidget> first = CreateWidget();
    ComPtr<ITestWidget> second = CreateWidget();
    ASSERT_TRUE(first && second);
    const pid_t server = ServerPidOf(first.get());
    EXPECT_NE(server, ::getpid());
    EXPECT_EQ(ServerPidOf(second.get()), server);

    first.reset();
    EXPECT_FALSE(EndsWithin(server, 200ms)) << "one object is still held";
    second.reset();
    EXPECT_TRUE(EndsWithin(server, 5s));

    // The next creation starts a fresh server.
    const ComPtr<ITestWidget> third = CreateWidget();
    ASSERT_TRUE(third);
    EXPECT_NE(ServerPidOf(third.get()), server);
}

TEST_F(LocalServerLifetime, AReleaseHereReleasesTheServersObject) {
    const ComPtr<ITestWidget> widget = CreateWidget();
    ASSERT_TRUE(widget);
    LONG before = 0;
    LONG pid = 0;
    ASSERT_EQ(widget->Census(&before, &pid), S_OK);
    {
        BstrHolder name(u"short-lived");
        ComPtr<IDispatch> child;
        ASSERT_EQ(widget->MakeChild(name.get(), child.put()), S_OK);
        ComPtr<IDispatch> again = child; // more local references, one remote
        ComPtr<ITestWidget> asWidget;
        ASSERT_EQ(child.As(IID_ITestWidget, asWidget), S_OK);
        LONG during = 0;
        ASSERT_EQ(widget->Census(&during, &pid), S_OK);
        EXPECT_EQ(during, before + 1);
    }
    LONG after = 0;
    ASSERT_EQ(widget->Census(&after, &pid), S_OK);
    EXPECT_EQ(after, before);

    // The same object handed out twice is one proxy and is released once
    // both references have gone.
    ComPtr<IDispatch> self1;
    ComPtr<IDispatch> self2;
    ASSERT_EQ(widget->GetSelf(self1.put()), S_OK);
    ASSERT_EQ(widget->GetSelf(self2.put()), S_OK);
    EXPECT_EQ(self1.get(), self2.get());
}

TEST_F(LocalServerLifetime, PropertiesThatCannotChangeAndBatchesSaveRoundTrips) {
    const ComPtr<ITestWidget> widget = CreateWidget();
    ASSERT_TRUE(widget);
    const std::uint64_t start = RoundTripsOf(widget.get());
    BstrHolder name;
    for (int i = 0; i < 10; ++i) {
        ASSERT_EQ(widget->GetName(name.put()), S_OK);
    }
    EXPECT_EQ(name.str(), u"first");
    EXPECT_EQ(RoundTripsOf(widget.get()), start) << "the name travels with the reference";

    ComPtr<IUnknown> listObject;
    ASSERT_EQ(widget->Items(1000, listObject.put()), S_OK);
    ComPtr<IEnumVARIANT> list;
    ASSERT_EQ(listObject.As(IID_IEnumVARIANT, list), S_OK);
    VARIANT element;
    VariantInit(&element);
    ULONG fetched = 0;
    int count = 0;
    while (list->Next(1, &element, &fetched) == S_OK) {
        VariantClear(&element);
        ++count;
    }
    EXPECT_EQ(count, 1000);
    // Items, then batches of 256, 512 and 1024 elements.
    EXPECT_LE(RoundTripsOf(widget.get()) - start, 4u);
}

TEST_F(LocalServerLifetime, AnObjectOfAnotherServerCannotBePassedIn) {
    const ComPtr<ITestWidget> remote = CreateWidget();
    ASSERT_TRUE(remote);
    ComPtr<ITestWidget> local;
    {
        paginor::ComRegistryOverride inProcess(RegistryFor(Serving::InProcess));
        local = CreateWidget();
    }
    ASSERT_TRUE(local);
    BstrHolder name;
    EXPECT_EQ(remote->NameOf(local.get(), name.put()), E_INVALIDARG);
    EXPECT_NE(ErrorDescription().find("another process"), std::string::npos);
}

// Runs `body` in a child process that acts as a second client: it writes
// the pid of its server to `report` and waits (or returns) as told.
pid_t SpawnClient(int report, bool waitForever) {
    const pid_t child = ::fork();
    if (child != 0) {
        return child;
    }
    ComPtr<ITestWidget> widget = CreateWidget();
    const pid_t server = widget ? ServerPidOf(widget.get()) : 0;
    (void)::write(report, &server, sizeof server);
    while (waitForever) {
        ::pause();
    }
    widget.reset();
    ::_exit(0);
}

pid_t ReadPid(int fd) {
    pid_t pid = 0;
    return ::read(fd, &pid, sizeof pid) == sizeof pid ? pid : 0;
}

TEST_F(LocalServerLifetime, TwoClientsGetTwoServersAndAKilledClientLeavesNoneBehind) {
    // Orphaned servers become this process's children, so they can be reaped
    // and seen to end.
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const pid_t quiet = SpawnClient(pipeEnds[1], /*waitForever=*/false);
    const pid_t killed = SpawnClient(pipeEnds[1], /*waitForever=*/true);
    const pid_t serverA = ReadPid(pipeEnds[0]);
    const pid_t serverB = ReadPid(pipeEnds[0]);
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    ASSERT_GT(serverA, 0);
    ASSERT_GT(serverB, 0);
    EXPECT_NE(serverA, serverB);

    int status = 0;
    ASSERT_EQ(::waitpid(quiet, &status, 0), quiet);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    ASSERT_EQ(::kill(killed, SIGKILL), 0);
    ASSERT_EQ(::waitpid(killed, &status, 0), killed);
    EXPECT_TRUE(EndsWithin(serverA, 5s));
    EXPECT_TRUE(EndsWithin(serverB, 5s));
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
}

// The host watch's timer ticks once more after the last call and interrupts
// the idle wait: calls after that still work, and a client that dies while
// a process it started holds the channel open is still noticed.
TEST_F(LocalServerLifetime, AnIdleServerServesAgainAndStillNoticesItsClientEnding) {
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const pid_t client = ::fork();
    if (client == 0) {
        ComPtr<ITestWidget> widget = CreateWidget();
        pid_t report[3] = {widget ? ServerPidOf(widget.get()) : 0, 0, 0};
        std::this_thread::sleep_for(500ms); // past the idle tick
        report[1] = widget && widget->SetNumbers(7, 1) == S_OK ? 1 : 0;
        report[2] = ::fork(); // inherits the channel and keeps it open
        if (report[2] == 0) {
            ::sleep(30);
            ::_exit(0);
        }
        (void)::write(pipeEnds[1], report, sizeof report);
        ::pause();
        ::_exit(0);
    }
    pid_t report[3] = {};
    ASSERT_EQ(::read(pipeEnds[0], report, sizeof report), static_cast<ssize_t>(sizeof report));
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    const auto [server, servedAgain, holder] = report;
    ASSERT_GT(server, 0);
    EXPECT_EQ(servedAgain, 1);
    std::this_thread::sleep_for(500ms); // idle again, past the tick
    ASSERT_EQ(::kill(client, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(client, &status, 0), client);
    EXPECT_TRUE(EndsWithin(server, 5s)) << "the server waits on a channel its client left";
    ::kill(holder, SIGKILL);
    ::waitpid(holder, &status, 0);
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
}

TEST_F(LocalServerLifetime, AKilledClientInTheMiddleOfACallLeavesNoServerBehind) {
    ASSERT_EQ(::prctl(PR_SET_CHILD_SUBREAPER, 1), 0);
    int pipeEnds[2];
    ASSERT_EQ(::pipe(pipeEnds), 0);
    const pid_t client = ::fork();
    if (client == 0) {
        ComPtr<ITestWidget> widget = CreateWidget();
        const pid_t server = widget ? ServerPidOf(widget.get()) : 0;
        (void)::write(pipeEnds[1], &server, sizeof server);
        widget->Misbehave(kSleepMilliseconds, 600000); // the server is busy for ten minutes
        ::_exit(0);
    }
    const pid_t server = ReadPid(pipeEnds[0]);
    ::close(pipeEnds[0]);
    ::close(pipeEnds[1]);
    ASSERT_GT(server, 0);
    std::this_thread::sleep_for(100ms); // let the call start
    ASSERT_EQ(::kill(client, SIGKILL), 0);
    int status = 0;
    ASSERT_EQ(::waitpid(client, &status, 0), client);
    EXPECT_TRUE(EndsWithin(server, 5s));
    ::prctl(PR_SET_CHILD_SUBREAPER, 0);
}

} // namespace
