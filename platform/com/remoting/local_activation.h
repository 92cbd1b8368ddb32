// Creating an object of a class served by a local server: one server process
// per server command (executable, module and registry) per client process,
// started on first use and shared by every class it serves, so objects of
// one server can be handed back to it (a document passed to another
// document, a highlight list to a page). A server that was lost is replaced
// by a fresh one at the next creation.
#pragma once

#include "com/com.h"
#include "com/com_registry.h"

namespace paginor::remoting {

HRESULT CreateLocalInstance(const LocalServerEntry& server, REFCLSID clsid, REFIID riid,
                            void** object);

// The process id of the running server for `server`, or 0 (for tests).
int RunningServerPid(const LocalServerEntry& server);

} // namespace paginor::remoting
