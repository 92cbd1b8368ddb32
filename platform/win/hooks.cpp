#include "win/hooks.h"

#include "win/hooks_testing.h"

#include <algorithm>
#include <cstdint>
#include <iterator>
#include <mutex>
#include <optional>

namespace {

constexpr int kLowestHookType = -1;  // WH_MSGFILTER
constexpr int kHighestHookType = 14; // WH_MOUSE_LL

std::mutex g_hooksMutex;
// Installation order; a chain is the hooks of one type and thread, newest
// first, so the newest is at the back.
std::vector<paginor::win::InstalledHook> g_hooks;
std::uintptr_t g_nextHandle = 1;
// (thread, change) for HookChanges.
std::vector<std::pair<DWORD, paginor::win::HookChange>> g_changes;

using paginor::win::InstalledHook;

std::vector<InstalledHook>::iterator FindHook(HHOOK hook) {
    return std::find_if(g_hooks.begin(), g_hooks.end(),
                        [hook](const InstalledHook& h) { return h.handle == hook; });
}

// The hook that follows `from` in its chain (from == end: the chain's head).
std::optional<InstalledHook> NextInChain(std::vector<InstalledHook>::reverse_iterator from,
                                         int type, DWORD threadId) {
    const auto next = std::find_if(from, g_hooks.rend(), [&](const InstalledHook& h) {
        return h.type == type && h.threadId == threadId;
    });
    if (next == g_hooks.rend()) {
        return std::nullopt;
    }
    return *next;
}

// Procedures run without the lock: they call CallNextHookEx themselves.
LRESULT Invoke(const std::optional<InstalledHook>& hook, int code, WPARAM wParam, LPARAM lParam) {
    return hook ? hook->procedure(code, wParam, lParam) : 0;
}

} // namespace

extern "C" {

HHOOK SetWindowsHookExW(int idHook, HOOKPROC proc, HINSTANCE module, DWORD threadId) {
    if (proc == nullptr || idHook < kLowestHookType || idHook > kHighestHookType) {
        return nullptr;
    }
    std::lock_guard lock(g_hooksMutex);
    const auto handle = reinterpret_cast<HHOOK>(g_nextHandle++);
    g_hooks.push_back({handle, idHook, proc, module, threadId});
    g_changes.push_back({threadId, {true, idHook}});
    return handle;
}

LRESULT CallNextHookEx(HHOOK hook, int code, WPARAM wParam, LPARAM lParam) {
    std::optional<InstalledHook> next;
    {
        std::lock_guard lock(g_hooksMutex);
        const auto current = FindHook(hook);
        if (current == g_hooks.end()) {
            return 0;
        }
        // reverse_iterator(current) points at the element just before current.
        next = NextInChain(std::make_reverse_iterator(current), current->type, current->threadId);
    }
    return Invoke(next, code, wParam, lParam);
}

BOOL UnhookWindowsHookEx(HHOOK hook) {
    std::lock_guard lock(g_hooksMutex);
    const auto found = FindHook(hook);
    if (found == g_hooks.end()) {
        return FALSE;
    }
    g_changes.push_back({found->threadId, {false, found->type}});
    g_hooks.erase(found);
    return TRUE;
}

} // extern "C"

namespace paginor::win {

std::vector<InstalledHook> InstalledHooks(DWORD threadId) {
    std::lock_guard lock(g_hooksMutex);
    std::vector<InstalledHook> result;
    std::copy_if(g_hooks.begin(), g_hooks.end(), std::back_inserter(result),
                 [threadId](const InstalledHook& h) { return h.threadId == threadId; });
    return result;
}

std::vector<HookChange> HookChanges(DWORD threadId) {
    std::lock_guard lock(g_hooksMutex);
    std::vector<HookChange> result;
    for (const auto& [thread, change] : g_changes) {
        if (thread == threadId) {
            result.push_back(change);
        }
    }
    return result;
}

std::size_t InstalledHookCount(DWORD threadId) {
    return InstalledHooks(threadId).size();
}

LRESULT DeliverHookEvent(DWORD threadId, int type, int code, WPARAM wParam, LPARAM lParam) {
    std::optional<InstalledHook> head;
    {
        std::lock_guard lock(g_hooksMutex);
        head = NextInChain(g_hooks.rbegin(), type, threadId);
    }
    return Invoke(head, code, wParam, lParam);
}

} // namespace paginor::win
