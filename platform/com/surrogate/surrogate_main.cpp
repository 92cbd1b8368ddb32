// com_surrogate: a local server for the classes of an in-process module. The
// runtime starts it as `com_surrogate --channel-fd 3 --host-pid PID <module>`
// for a registry line `local <{CLSID}> com_surrogate <module>`; it then
// serves the module's objects to that one host through the proxies and stubs
// the registry names.
#include "com/remoting/local_server.h"

int main(int argc, char** argv) {
    return paginor::remoting::RunLocalServer(argc, argv);
}
