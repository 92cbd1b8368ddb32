#include "engine/document/mapping_guard.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/mman.h>
#include <unistd.h>

namespace paginor::engine {

namespace {

// A handful of documents are open at once (one, a page source, a kept one).
constexpr int kSlots = 32;
// The signal a lease break is announced with; SIGIO itself, but set
// explicitly so that the handler learns the descriptor (si_fd).
constexpr int kLeaseSignal = SIGIO;

struct GuardedMapping {
    std::atomic<std::uintptr_t> begin{0};
    std::atomic<std::size_t> length{0};
    std::atomic<int> file{-1};
    std::atomic<bool> writable{true};
    std::atomic<bool> copied{false};
};

GuardedMapping g_mappings[kSlots];
struct sigaction g_previousBusError {};
struct sigaction g_previousLeaseSignal {};
std::mutex g_slotsMutex;

void passOn(const struct sigaction& previous, int signal, siginfo_t* info, void* context) {
    if ((previous.sa_flags & SA_SIGINFO) != 0) {
        if (previous.sa_sigaction != nullptr) {
            previous.sa_sigaction(signal, info, context);
            return;
        }
    } else if (previous.sa_handler != SIG_DFL && previous.sa_handler != SIG_IGN) {
        previous.sa_handler(signal);
        return;
    } else if (previous.sa_handler == SIG_IGN) {
        return;
    }
    // The default action: for SIGBUS, returning repeats the faulting read,
    // which then ends the process as it would have without this handler.
    struct sigaction fallback {};
    fallback.sa_handler = SIG_DFL;
    sigemptyset(&fallback.sa_mask);
    sigaction(signal, &fallback, nullptr);
    if (signal != SIGBUS) {
        raise(signal);
    }
}

extern "C" void onBusError(int signal, siginfo_t* info, void* context) {
    const auto address = reinterpret_cast<std::uintptr_t>(info->si_addr);
    for (const GuardedMapping& mapping : g_mappings) {
        const std::uintptr_t begin = mapping.begin.load(std::memory_order_acquire);
        if (begin != 0 && address >= begin &&
            address < begin + mapping.length.load(std::memory_order_acquire)) {
            const auto page = static_cast<std::uintptr_t>(sysconf(_SC_PAGESIZE));
            void* start = reinterpret_cast<void*>(address & ~(page - 1));
            if (mmap(start, page, PROT_READ, MAP_PRIVATE | MAP_ANONYMOUS | MAP_FIXED, -1, 0) !=
                MAP_FAILED) {
                return;
            }
        }
    }
    passOn(g_previousBusError, signal, info, context);
}

// Replaces the mapping with a copy in memory of its own, at the same address
// (readers in the middle of a read see the same bytes before and after).
void copyInPlace(GuardedMapping& mapping) {
    void* begin = reinterpret_cast<void*>(mapping.begin.load(std::memory_order_acquire));
    const std::size_t length = mapping.length.load(std::memory_order_acquire);
    void* copy = mmap(nullptr, length, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (copy == MAP_FAILED) {
        return; // the save's change check refuses what the file becomes
    }
    std::memcpy(copy, begin, length);
    if (!mapping.writable.load(std::memory_order_acquire)) {
        mprotect(copy, length, PROT_READ);
    }
    if (mremap(copy, length, length, MREMAP_MAYMOVE | MREMAP_FIXED, begin) == MAP_FAILED) {
        munmap(copy, length);
        return;
    }
    mapping.copied.store(true, std::memory_order_release);
}

extern "C" void onLeaseBreak(int signal, siginfo_t* info, void* context) {
    const int savedErrno = errno;
    bool ours = false;
    for (GuardedMapping& mapping : g_mappings) {
        if (mapping.begin.load(std::memory_order_acquire) != 0 &&
            mapping.file.load(std::memory_order_acquire) == info->si_fd) {
            ours = true;
            if (!mapping.copied.load(std::memory_order_acquire)) {
                copyInPlace(mapping);
            }
            fcntl(info->si_fd, F_SETLEASE, F_UNLCK);
        }
    }
    errno = savedErrno;
    if (!ours) {
        passOn(g_previousLeaseSignal, signal, info, context);
    }
}

bool installOnce() {
    static const bool installed = [] {
        struct sigaction action {};
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_SIGINFO | SA_ONSTACK | SA_RESTART;
        action.sa_sigaction = onBusError;
        if (sigaction(SIGBUS, &action, &g_previousBusError) != 0) {
            return false;
        }
        action.sa_sigaction = onLeaseBreak;
        return sigaction(kLeaseSignal, &action, &g_previousLeaseSignal) == 0;
    }();
    return installed;
}

} // namespace

bool guardMapping(void* begin, std::size_t length, int file) {
    if (!installOnce()) {
        return false;
    }
    std::lock_guard<std::mutex> lock(g_slotsMutex);
    for (GuardedMapping& mapping : g_mappings) {
        if (mapping.begin.load(std::memory_order_relaxed) != 0) {
            continue;
        }
        mapping.length.store(length, std::memory_order_release);
        mapping.file.store(file, std::memory_order_release);
        mapping.writable.store(true, std::memory_order_release);
        mapping.copied.store(false, std::memory_order_release);
        mapping.begin.store(reinterpret_cast<std::uintptr_t>(begin), std::memory_order_release);
        // Taken after the slot is filled, so that a break at once finds it.
        if (fcntl(file, F_SETSIG, kLeaseSignal) != 0 || fcntl(file, F_SETLEASE, F_RDLCK) != 0) {
            mapping.begin.store(0, std::memory_order_release);
            mapping.file.store(-1, std::memory_order_release);
            return false;
        }
        return true;
    }
    return false;
}

void sealMapping(const void* begin) {
    const auto first = reinterpret_cast<std::uintptr_t>(begin);
    for (GuardedMapping& mapping : g_mappings) {
        if (mapping.begin.load(std::memory_order_acquire) == first) {
            // Cleared first: a copy made from here on is made read-only too.
            mapping.writable.store(false, std::memory_order_release);
            mprotect(const_cast<void*>(begin), mapping.length.load(std::memory_order_acquire),
                     PROT_READ);
        }
    }
}

void unguardMapping(const void* begin) {
    const auto first = reinterpret_cast<std::uintptr_t>(begin);
    std::lock_guard<std::mutex> lock(g_slotsMutex);
    for (GuardedMapping& mapping : g_mappings) {
        if (mapping.begin.load(std::memory_order_relaxed) == first) {
            const int file = mapping.file.exchange(-1, std::memory_order_acq_rel);
            if (file >= 0) {
                fcntl(file, F_SETLEASE, F_UNLCK);
            }
            mapping.begin.store(0, std::memory_order_release);
        }
    }
}

bool mappingWasCopied(const void* begin) {
    const auto first = reinterpret_cast<std::uintptr_t>(begin);
    for (const GuardedMapping& mapping : g_mappings) {
        if (mapping.begin.load(std::memory_order_acquire) == first) {
            return mapping.copied.load(std::memory_order_acquire);
        }
    }
    return false;
}

} // namespace paginor::engine
