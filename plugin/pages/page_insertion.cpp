// Copying a run of pages from another PDF file into the open document.
#include "session/pdf_session.h"

#include "automation_contract/automation_values.h"
#include "automation/operation_not_done.h"
#include "errors/last_error_record.h"
#include "pages/operation_steps.h"
#include "pages/source_document.h"
#include "win/file_access.h"

#include <cstdint>

namespace {

constexpr int kReadAccess = 4;

} // namespace

WideString CPDFSession::InsertPages(LONG afterPage, const std::optional<WideString>& sourcePath,
                                    LONG startPage, LONG numPages, bool includeBookmarks) {
    if (!m_document) {
        SetError(kErrorNoDocumentOpen, 0, OLESTR(""));
        return kErrorText;
    }
    const WideString path = sourcePath.value_or(WideString());
    if (_waccess(path.c_str(), kReadAccess) != 0) {
        SetError(kErrorFileNotFound, 0, OLESTR(""));
        return kErrorText;
    }
    AutomationRef<IPDDocument> source;
    if (!CreateSourceDocument(source)) {
        return kErrorText;
    }

    OperationSteps steps;
    OpenSourceDocument(steps, source, path);
    const LONG sourcePages = PageCountOf(steps, source);
    // The checks run in this order and stop at the first that fails; the
    // open document's count is read only for a non-negative afterPage.
    // afterPage is handed over unshifted (0 inserts after the first page);
    // kBeforeFirstPage puts the pages in front of the first, which no other
    // value can.
    const auto checkRange = [&] {
        if (afterPage < kBeforeFirstPage) {
            return steps.Refuse(kErrorInvalidPageRange, OLESTR("afterPage is not valid"));
        }
        const LONG openPages = afterPage < 0 ? 0 : PageCountOf(steps, m_document);
        if (steps.Failed()) {
            return;
        }
        if (afterPage > openPages) {
            return steps.Refuse(kErrorInvalidPageRange, OLESTR("afterPage is not valid"));
        }
        if (startPage < 0 || startPage > sourcePages) {
            return steps.Refuse(kErrorInvalidPageRange, OLESTR("startPage is not valid"));
        }
        // The run [startPage, startPage + numPages) must lie inside the source.
        if (numPages < 0 || std::int64_t{startPage} + numPages > sourcePages) {
            return steps.Refuse(kErrorInvalidPageRange, OLESTR("numPages is not valid"));
        }
    };
    if (!steps.Failed()) {
        checkRange();
    }
    VARIANT_BOOL inserted = VARIANT_FALSE;
    std::optional<WideString> refusal;
    if (steps.Run([&] {
            refusal = ReasonNotDone([&] {
                m_document.Call(&IPDDocument::InsertPages, afterPage, source.Peek(), startPage,
                                numPages, LONG{includeBookmarks ? 1 : 0}, &inserted);
            });
        })) {
        if (refusal) {
            steps.Refuse(kErrorCannotInsertPages, *refusal);
        } else if (inserted == VARIANT_FALSE) {
            steps.Refuse(kErrorCannotInsertPages, OLESTR(""));
        }
    }
    CloseSourceDocument(steps, source);
    return steps.Failed() ? kErrorText : kDoneText;
}
