#include "win/hooks.h"
#include "win/hooks_testing.h"
#include "win/thread.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

using paginor::win::DeliverHookEvent;
using paginor::win::InstalledHookCount;
using paginor::win::InstalledHooks;

// Each procedure records its visit and passes the event on, so a test can
// read the order in which a chain ran.
thread_local std::string t_visits;
thread_local HHOOK t_firstHook = nullptr;
thread_local HHOOK t_secondHook = nullptr;

LRESULT CALLBACK FirstHook(int code, WPARAM wParam, LPARAM lParam) {
    t_visits += "first;";
    return CallNextHookEx(t_firstHook, code, wParam, lParam);
}
LRESULT CALLBACK SecondHook(int code, WPARAM wParam, LPARAM lParam) {
    t_visits += "second;";
    return CallNextHookEx(t_secondHook, code, wParam, lParam) + 10;
}
LRESULT CALLBACK Swallow(int, WPARAM, LPARAM) {
    t_visits += "swallow;";
    return 1;
}

TEST(Hooks, ChainRunsNewestFirstWithinOneType) {
    const DWORD me = GetCurrentThreadId();
    t_visits.clear();
    t_firstHook = SetWindowsHookExW(WH_KEYBOARD, FirstHook, nullptr, me);
    t_secondHook = SetWindowsHookExW(WH_KEYBOARD, SecondHook, nullptr, me);
    HHOOK mouse = SetWindowsHookExW(WH_MOUSE, Swallow, nullptr, me);
    ASSERT_NE(t_firstHook, nullptr);
    ASSERT_NE(t_secondHook, nullptr);
    ASSERT_NE(mouse, nullptr);
    EXPECT_NE(t_firstHook, t_secondHook);

    EXPECT_EQ(DeliverHookEvent(me, WH_KEYBOARD, 0, 0, 0), 10);
    EXPECT_EQ(t_visits, "second;first;"); // the mouse hook is another chain

    t_visits.clear();
    EXPECT_EQ(DeliverHookEvent(me, WH_MOUSE, 1, 0, 0), 1);
    EXPECT_EQ(t_visits, "swallow;");

    const auto hooks = InstalledHooks(me);
    ASSERT_EQ(hooks.size(), 3u);
    EXPECT_EQ(hooks[0].type, WH_KEYBOARD);
    EXPECT_EQ(hooks[0].procedure, &FirstHook);
    EXPECT_EQ(hooks[2].type, WH_MOUSE);
    EXPECT_EQ(hooks[2].threadId, me);

    EXPECT_TRUE(UnhookWindowsHookEx(t_secondHook));
    t_visits.clear();
    EXPECT_EQ(DeliverHookEvent(me, WH_KEYBOARD, 0, 0, 0), 0);
    EXPECT_EQ(t_visits, "first;");

    EXPECT_TRUE(UnhookWindowsHookEx(t_firstHook));
    EXPECT_TRUE(UnhookWindowsHookEx(mouse));
    EXPECT_EQ(InstalledHookCount(me), 0u);
    EXPECT_EQ(DeliverHookEvent(me, WH_KEYBOARD, 0, 0, 0), 0);
}

TEST(Hooks, RefusesBadInstallationsAndUnknownHandles) {
    const DWORD me = GetCurrentThreadId();
    EXPECT_EQ(SetWindowsHookExW(WH_KEYBOARD, nullptr, nullptr, me), nullptr);
    EXPECT_EQ(SetWindowsHookExW(99, Swallow, nullptr, me), nullptr);
    EXPECT_EQ(SetWindowsHookExW(-2, Swallow, nullptr, me), nullptr);
    EXPECT_EQ(InstalledHookCount(me), 0u);

    HHOOK hook = SetWindowsHookExW(WH_MOUSE, Swallow, nullptr, me);
    EXPECT_TRUE(UnhookWindowsHookEx(hook));
    EXPECT_FALSE(UnhookWindowsHookEx(hook)); // already removed
    EXPECT_FALSE(UnhookWindowsHookEx(nullptr));
    EXPECT_EQ(CallNextHookEx(hook, 0, 0, 0), 0);
}

TEST(Hooks, ChainsBelongToOneThread) {
    const DWORD me = GetCurrentThreadId();
    HHOOK mine = SetWindowsHookExW(WH_KEYBOARD, Swallow, nullptr, me);
    DWORD otherId = 0;
    std::size_t otherSawBefore = 99;
    std::size_t otherSawAfter = 0;
    std::thread([&] {
        otherId = GetCurrentThreadId();
        otherSawBefore = InstalledHookCount(otherId);
        HHOOK theirs = SetWindowsHookExW(WH_KEYBOARD, Swallow, nullptr, otherId);
        otherSawAfter = InstalledHookCount(otherId);
        UnhookWindowsHookEx(theirs);
    }).join();
    EXPECT_NE(otherId, me);
    EXPECT_EQ(otherSawBefore, 0u);
    EXPECT_EQ(otherSawAfter, 1u);
    EXPECT_EQ(InstalledHookCount(me), 1u);
    EXPECT_TRUE(UnhookWindowsHookEx(mine));
}

} // namespace
