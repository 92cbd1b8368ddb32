#include "session/pdf_session.h"

#include "automation/guarded_steps.h"

namespace {

// Static storage duration: built when the library is loaded, before the
// host's Init, and destroyed when it is unloaded.
CPDFSession g_pdfSession;

} // namespace

CPDFSession& PdfSession() noexcept {
    return g_pdfSession;
}

CPDFSession::CPDFSession() {
    GuardedSteps::SetServerLostHandler([]() noexcept { PdfSession().ForgetLostServer(); });
}

CPDFSession::~CPDFSession() {
    Reset();
    // The members' own destructors drop the document object last of all.
}

void CPDFSession::ClearFields() noexcept {
    m_fieldCache.Clear();
}

void CPDFSession::ForgetLostServer() noexcept {
    ClearFields();
    m_fields.Clear();
    m_forms.Clear();
    m_viewer.Clear();
    m_document.Clear();
    m_application.Clear();
    m_openPath.clear();
}

void CPDFSession::Reset() noexcept {
    ClearFields();
    m_application.Clear();
    m_viewer.Clear();
    m_fields.Clear();
    m_forms.Clear();
}
