#include "host/session_shutdown.h"

#include "session/pdf_session.h"

void ResetPdfSessionForShutdown() {
    PdfSession().Reset();
}
