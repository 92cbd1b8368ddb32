// Inspection and fault injection for the shell stand-ins, for tests only.
#pragma once

#include "win/win_types.h"

#include <cstddef>

namespace paginor::win {

// Blocks handed out by the shell allocator and not yet freed.
std::size_t OutstandingShellAllocations();
// References held on the shell allocator by callers of SHGetMalloc.
ULONG ShellAllocatorReferences();
// Makes SHGetMalloc fail (true) or work again (false).
void SimulateShellAllocatorFailure(bool fail);

} // namespace paginor::win
