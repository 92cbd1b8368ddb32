// What the host's Shutdown message asks of the PDF session: empty the field
// cache and drop the application, viewer and forms references. Must not
// close or save anything and must be safe to run twice. Declared here, where
// the entry point calls it, like the script functions; the session defines it
// (session/session_shutdown.cpp).
#pragma once

void ResetPdfSessionForShutdown();
