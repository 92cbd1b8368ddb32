// The life of a local server process: it answers its client's requests on
// the channel it was started with until the client closes the channel or
// gives back its last object, then releases everything and returns. A
// surrogate server's main() is just RunLocalServer(argc, argv).
//
// Command line, as the runtime starts it:
//   <server> --channel-fd N --host-pid PID [<module>]
// <module> is the in-process server module whose classes are served; a
// server with its classes built in names none and gives `classObject`.
#pragma once

#include "com/com.h"

#include <functional>
#include <string_view>

namespace paginor::remoting {

struct LocalServerHooks {
    // Runs before each call with the interface's and the method's names
    // (tests use it to hold a call at a known point).
    std::function<void(std::string_view interfaceName, std::string_view methodName)> beforeCall;
    // The class factories of a server whose classes are linked into it, as
    // a module's DllGetClassObject answers them; used when the command line
    // names no module.
    DllGetClassObjectFunction classObject = nullptr;
};

// Answers the process's exit status: 0 after a normal end, 2 for a command
// line it does not understand.
int RunLocalServer(int argc, char** argv, const LocalServerHooks& hooks = {});

} // namespace paginor::remoting
