// Saving the open document in place or under another path.
#include "session/pdf_session.h"

#include "automation/guarded_steps.h"
#include "automation/temporary_bstr.h"
#include "automation_contract/automation_values.h"
#include "errors/last_error_record.h"

namespace {

// In place: a full save to the open path. Under another path: a full save as
// a copy, so the document stays bound to the file that was opened.
constexpr SHORT kSaveInPlace = kSaveFull;
constexpr SHORT kSaveUnderPath = kSaveFull | kSaveCopy;

} // namespace

WideString CPDFSession::SavePDF(const WideString& path) {
    if (!m_viewer) {
        SetError(kErrorNoViewerFile, 0, OLESTR(""));
        return kErrorText;
    }

    GuardedSteps steps;
    if (!m_document) {
        steps.Run([&] {
            AutomationRef<IDispatch> document;
            m_viewer.Call(&IViewerDocument::GetPDDocument, document.Receive());
            m_document.Narrow(document.Peek());
        });
    }

    bool saved = false;
    steps.Run([&] {
        VARIANT_BOOL answer = VARIANT_FALSE;
        // The open path stays the file that was opened, also after a save
        // under another path.
        if (path.empty()) {
            m_document.Call(&IPDDocument::Save, kSaveInPlace, TemporaryBstr(m_openPath), &answer);
        } else {
            m_document.Call(&IPDDocument::Save, kSaveUnderPath, TemporaryBstr(path), &answer);
        }
        saved = answer != VARIANT_FALSE;
    });
    if (steps.Failed()) {
        return kErrorText;
    }
    if (!saved) {
        SetError(kErrorCannotSavePdf, 0, OLESTR(""));
        return kErrorText;
    }
    return kDoneText;
}
