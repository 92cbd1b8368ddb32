// Appending whole PDF files, in list order, behind the open document's pages.
#include "session/pdf_session.h"

#include "automation/operation_not_done.h"
#include "errors/last_error_record.h"
#include "pages/operation_steps.h"
#include "pages/page_index.h"
#include "pages/path_list.h"
#include "pages/source_document.h"
#include "win/file_access.h"

namespace {

constexpr int kReadAccess = 4;
constexpr LONG kWithBookmarks = 1;

} // namespace

WideString CPDFSession::AppendPDF(const WideString& pathList) {
    if (!m_document) {
        SetError(kErrorNoDocumentOpen, 0, OLESTR(""));
        return kErrorText;
    }
    const std::vector<WideString> paths = SplitPathList(pathList);
    AutomationRef<IPDDocument> source;
    if (!CreateSourceDocument(source)) {
        return kErrorText;
    }

    // Files appended before a failure stay appended; later paths are not
    // looked at.
    OperationSteps steps;
    for (const WideString& path : paths) {
        if (_waccess(path.c_str(), kReadAccess) != 0) {
            SetError(kErrorFileNotFound, 0, OLESTR(""));
            return kErrorText;
        }
        OpenSourceDocument(steps, source, path);
        const LONG insertAfter = IndexOfPage(PageCountOf(steps, m_document));
        const LONG sourcePages = PageCountOf(steps, source);
        VARIANT_BOOL inserted = VARIANT_FALSE;
        std::optional<WideString> refusal;
        if (steps.Run([&] {
                refusal = ReasonNotDone([&] {
                    m_document.Call(&IPDDocument::InsertPages, insertAfter, source.Peek(), LONG{0},
                                    sourcePages, kWithBookmarks, &inserted);
                });
            })) {
            if (refusal) {
                steps.Refuse(kErrorCannotInsertPages, path + OLESTR(": ") + *refusal);
            } else if (inserted == VARIANT_FALSE) {
                steps.Refuse(kErrorCannotInsertPages, path);
            }
        }
        // Closed after a failure too, so the application does not keep the
        // file open; the first failure stays the one reported.
        CloseSourceDocument(steps, source);
        if (steps.Failed()) {
            break;
        }
    }
    return steps.Failed() ? kErrorText : kDoneText;
}
