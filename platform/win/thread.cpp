#include "win/thread.h"

#include <unistd.h>

// The kernel's thread id: unique among live threads, like the platform's.
extern "C" DWORD GetCurrentThreadId() {
    return static_cast<DWORD>(gettid());
}
