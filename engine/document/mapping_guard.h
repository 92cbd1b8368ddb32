// Keeps a private mapping of a file showing the bytes the file held when it
// was mapped, although the system shares the pages with the file.
//
// A read lease is taken on the file: before another program may open it for
// writing or truncate it, the system tells this process (SIGIO) and holds
// the other program back; the handler copies the mapping into memory of its
// own, in place, and then lets the lease go. A file the lease cannot be taken
// on (one already open for writing, one of another owner, a file system
// without leases) is not mapped at all.
//
// In case a file shrinks under a mapping anyway, a read past its new end
// (SIGBUS) inside a guarded range gets a page of zeros, so the parser meets
// damaged data and fails as on any damaged file instead of ending the
// process. Signals the guard does not own go on to the handlers that were
// there before.
#pragma once

#include <cstddef>

namespace paginor::engine {

// Guards the writable mapping [begin, begin + length) of `file` (open for
// reading only), which the caller keeps open while the guard lasts. False
// when the lease cannot be taken or every slot is in use: the caller then
// reads the file instead.
bool guardMapping(void* begin, std::size_t length, int file);
// Makes the guarded mapping at `begin` read-only, a copy of it too.
void sealMapping(const void* begin);
// Ends the guard and lets the lease go; before the mapping is unmapped.
void unguardMapping(const void* begin);
// Whether the guarded mapping at `begin` is by now a copy of its own.
bool mappingWasCopied(const void* begin);

} // namespace paginor::engine
