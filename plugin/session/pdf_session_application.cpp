// The application's window and lifetime.
#include "session/pdf_session.h"

#include "automation/guarded_steps.h"
#include "errors/last_error_record.h"

WideString CPDFSession::ShowAcrobat() {
    if (!m_application) {
        SetError(kErrorAcrobatNotOpen, 0, OLESTR(""));
        return kErrorText;
    }
    VARIANT_BOOL shown = VARIANT_FALSE;
    GuardedSteps steps;
    steps.Run([&] { m_application.Call(&IAutomationApp::Show, &shown); });
    if (steps.Failed()) {
        return kErrorText;
    }
    if (shown == VARIANT_FALSE) {
        SetError(kErrorCannotShowAcrobat, 0, OLESTR(""));
        return kErrorText;
    }
    return kDoneText;
}

WideString CPDFSession::HideAcrobat() {
    if (!m_application) {
        SetError(kErrorAcrobatNotOpen, 0, OLESTR(""));
        return kErrorText;
    }
    VARIANT_BOOL hidden = VARIANT_FALSE;
    GuardedSteps steps;
    steps.Run([&] { m_application.Call(&IAutomationApp::Hide, &hidden); });
    if (steps.Failed()) {
        return kErrorText;
    }
    if (hidden == VARIANT_FALSE) {
        SetError(kErrorCannotHideAcrobat, 0, OLESTR(""));
        return kErrorText;
    }
    return kDoneText;
}

WideString CPDFSession::CloseAcrobat() {
    if (!m_application) {
        return kDoneText;
    }
    if (m_viewer) {
        SetError(kErrorDocumentStillOpenMisspelt, 0, OLESTR(""));
        return kErrorText;
    }
    if (m_document) {
        SetError(kErrorDocumentStillOpen, 0, OLESTR(""));
        return kErrorText;
    }
    m_fields.Clear();

    GuardedSteps steps;
    steps.Run([&] {
        // The answers say nothing useful about shutting down; only a failed
        // call stops the sequence.
        VARIANT_BOOL ignored = VARIANT_FALSE;
        m_application.Call(&IAutomationApp::Show, &ignored);
        m_application.Call(&IAutomationApp::CloseAllDocuments, &ignored);
        m_application.Call(&IAutomationApp::Hide, &ignored);
        m_application.Call(&IAutomationApp::EndApplication, &ignored);
    });
    if (steps.Failed()) {
        return kErrorText;
    }
    m_application.Clear();
    m_openPath.clear();
    return kDoneText;
}
