// Printing every page of the open document through its viewer window.
#include "session/pdf_session.h"

#include "automation/operation_not_done.h"
#include "automation/temporary_bstr.h"
#include "automation_contract/automation_values.h"
#include "errors/last_error_record.h"
#include "pages/operation_steps.h"
#include "pages/page_index.h"

// Arguments the application gives meaning to: PostScript level 2, no binary
// data, no shrinking; the long form adds not reversed, no far-east fonts, no
// halftones and all pages of the range.
WideString CPDFSession::PrintPDF(bool longForm) {
    if (!m_document) {
        SetError(kErrorNoDocumentOpen, 0, OLESTR(""));
        return kErrorText;
    }
    OperationSteps steps;
    if (!m_viewer) {
        steps.Run([&] {
            AutomationRef<IDispatch> window;
            m_document.Call(&IPDDocument::OpenInViewer, TemporaryBstr(OLESTR("")).Get(),
                            window.Receive());
            m_viewer.Narrow(window.Peek());
        });
    }
    VARIANT_BOOL printed = VARIANT_FALSE;
    std::optional<WideString> refusal;
    steps.Run([&] {
        LONG pageCount = 0;
        m_document.Call(&IPDDocument::GetNumPages, &pageCount);
        const LONG lastPage = IndexOfPage(pageCount);
        refusal = ReasonNotDone([&] {
            if (longForm) {
                m_viewer.Call(&IViewerDocument::PrintPagesEx, LONG{0}, lastPage, kPostScriptLevel2,
                              LONG{0}, LONG{0}, LONG{0}, LONG{0}, LONG{0}, kPageSetAll, &printed);
            } else {
                m_viewer.Call(&IViewerDocument::PrintPages, LONG{0}, lastPage, kPostScriptLevel2,
                              LONG{0}, LONG{0}, &printed);
            }
        });
    });
    if (refusal) {
        steps.Refuse(kErrorCannotPrint, *refusal);
    } else if (!steps.Failed() && printed == VARIANT_FALSE) {
        steps.Refuse(kErrorCannotPrint, OLESTR(""));
    }
    return steps.Failed() ? kErrorText : kDoneText;
}
