// What the host's Shutdown message asks of the PDF session: empty the field
// cache and drop the application, viewer and forms references. Must not
// close or save anything and must be safe to run twice.
#pragma once

void ResetPdfSessionForShutdown();
