// paginor_engine_server: the PDF engine's own local server. It serves the
// engine's classes as com_surrogate would serve them from the module, but
// with the automation layer and qpdf linked in: starting it loads no module
// and looks up no qpdf symbols (18 % of the instructions of an engine process
// that opens and closes a two-page form).
#include "com/remoting/local_server.h"
#include "engine/automation/class_table.h"

int main(int argc, char** argv) {
    paginor::remoting::LocalServerHooks hooks;
    hooks.classObject = &paginor::engine::getEngineClassObject;
    return paginor::remoting::RunLocalServer(argc, argv, hooks);
}
