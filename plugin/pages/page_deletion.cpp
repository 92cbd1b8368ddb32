// Deleting a run of pages from the open document.
#include "session/pdf_session.h"

#include "automation/operation_not_done.h"
#include "errors/last_error_record.h"
#include "pages/operation_steps.h"
#include "pages/source_document.h"

WideString CPDFSession::DeletePages(LONG firstPage, LONG lastPage) {
    if (!m_viewer) {
        SetError(kErrorNoViewerFile, 0, OLESTR(""));
        return kErrorText;
    }
    OperationSteps steps;
    if (!m_document) {
        steps.Run([&] {
            AutomationRef<IDispatch> document;
            m_viewer.Call(&IViewerDocument::GetPDDocument, document.Receive());
            m_document.Narrow(document.Peek());
        });
    }
    // The indexes are 0-based but compared with the count itself; indexes the
    // checks let through are the delete operation's to judge.
    if (const LONG pages = PageCountOf(steps, m_document); !steps.Failed() && pages < firstPage) {
        steps.Refuse(kErrorInvalidStartPage, OLESTR(""));
    }
    if (const LONG pages = PageCountOf(steps, m_document); !steps.Failed() && pages < lastPage) {
        steps.Refuse(kErrorInvalidEndPage, OLESTR(""));
    }
    if (!steps.Failed() && lastPage < firstPage) {
        steps.Refuse(kErrorInvalidPageRange, OLESTR(""));
    }
    VARIANT_BOOL deleted = VARIANT_FALSE;
    std::optional<WideString> refusal;
    if (steps.Run([&] {
            refusal = ReasonNotDone(
                [&] { m_document.Call(&IPDDocument::DeletePages, firstPage, lastPage, &deleted); });
        })) {
        if (refusal) {
            steps.Refuse(kErrorCannotDeletePages, *refusal);
        } else if (deleted == VARIANT_FALSE) {
            steps.Refuse(kErrorCannotDeletePages, OLESTR(""));
        }
    }
    return steps.Failed() ? kErrorText : kDoneText;
}
