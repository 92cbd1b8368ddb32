#include "pages/source_document.h"

#include "automation/create_instance.h"
#include "automation/operation_not_done.h"
#include "automation/temporary_bstr.h"
#include "errors/last_error_record.h"

bool CreateSourceDocument(AutomationRef<IPDDocument>& source) {
    CLSID documentClass{};
    HRESULT status = CLSIDFromString(kProgIdPDDocument, &documentClass);
    if (FAILED(status)) {
        SetError(kErrorLibraryFailedToLoad, static_cast<DWORD>(status),
                 OLESTR("Classid for AcroExch.PDoc"));
        return false;
    }
    status = CreateInstance(source, documentClass, CLSCTX_ALL);
    if (FAILED(status)) {
        source.Clear();
        SetError(kErrorLibraryFailedToLoad, static_cast<DWORD>(status), OLESTR("AcroExch.PDoc"));
        return false;
    }
    return true;
}

void OpenSourceDocument(OperationSteps& steps, const AutomationRef<IPDDocument>& source,
                        const WideString& path) {
    VARIANT_BOOL opened = VARIANT_FALSE;
    std::optional<WideString> refusal;
    const bool ran = steps.Run([&] {
        refusal = ReasonNotDone(
            [&] { source.Call(&IPDDocument::Open, TemporaryBstr(path).Get(), &opened); });
    });
    if (refusal) {
        // The application's reason names the file.
        steps.Refuse(kErrorCannotOpenPdf, *refusal);
        return;
    }
    if (ran && opened == VARIANT_FALSE) {
        // Checking pages of a file that did not open would work on whatever
        // count the empty document reports.
        steps.Refuse(kErrorCannotOpenPdf, path);
    }
}

void CloseSourceDocument(OperationSteps& steps, const AutomationRef<IPDDocument>& source) {
    if (!source) {
        return;
    }
    if (!steps.Failed()) {
        steps.Run([&] {
            VARIANT_BOOL closed = VARIANT_FALSE;
            source.Call(&IPDDocument::Close, &closed);
        });
        return;
    }
    try {
        VARIANT_BOOL closed = VARIANT_FALSE;
        source.Call(&IPDDocument::Close, &closed);
    } catch (...) {
        // The failure that ended the call is the one to report.
    }
}

LONG PageCountOf(OperationSteps& steps, const AutomationRef<IPDDocument>& document) {
    LONG count = 0;
    steps.Run([&] { document.Call(&IPDDocument::GetNumPages, &count); });
    return count;
}
