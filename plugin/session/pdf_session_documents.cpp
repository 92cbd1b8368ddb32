// Opening, closing and deleting documents.
#include "session/pdf_session.h"

#include "automation/create_instance.h"
#include "automation/guarded_steps.h"
#include "automation/operation_not_done.h"
#include "automation/temporary_bstr.h"
#include "errors/last_error_record.h"
#include "text_encoding/utf_conversion.h"
#include "win/file_access.h"

#include <cerrno>
#include <system_error>

namespace {

constexpr int kReadAccess = 4;

// The text a failed deletion reports: the C runtime's reason for `error`.
WideString SystemReason(int error) {
    return WideFromUtf8(std::generic_category().message(error));
}

} // namespace

WideString CPDFSession::OpenPDF(const WideString& path) {
    if (m_document) {
        SetError(kErrorFileAlreadyOpen, 0, OLESTR(""));
        return kErrorText;
    }
    m_forms.Clear();
    m_fields.Clear();
    m_viewer.Clear();

    if (_waccess(path.c_str(), kReadAccess) != 0) {
        SetError(kErrorFileNotFound, 0, OLESTR(""));
        return kErrorText;
    }

    const bool createdApplication = m_application.IsEmpty();
    if (createdApplication) {
        CLSID applicationClass{};
        HRESULT status = CLSIDFromString(kProgIdApplication, &applicationClass);
        if (FAILED(status)) {
            m_application.Clear();
            SetError(kErrorLibraryFailedToLoad, static_cast<DWORD>(status),
                     OLESTR("Classid for AcroExch.App"));
            return kErrorText;
        }
        status = CreateInstance(m_application, applicationClass);
        if (FAILED(status)) {
            m_application.Clear();
            SetError(kErrorLibraryFailedToLoad, static_cast<DWORD>(status), OLESTR("AcroExch.App"));
            return kErrorText;
        }
    }

    CLSID documentClass{};
    HRESULT status = CLSIDFromProgID(kProgIdPDDocument, &documentClass);
    if (FAILED(status)) {
        m_application.Clear();
        SetError(kErrorLibraryFailedToLoad, static_cast<DWORD>(status),
                 OLESTR("Classid for AcroExch.PDDoc"));
        return kErrorText;
    }
    status = CreateInstance(m_document, documentClass);
    if (FAILED(status)) {
        m_application.Clear();
        SetError(kErrorLibraryFailedToLoad, static_cast<DWORD>(status), OLESTR("AcroExch.PDoc"));
        return kErrorText;
    }

    GuardedSteps steps;
    bool opened = false;
    std::optional<WideString> refusal;
    steps.Run([&] {
        VARIANT_BOOL answer = VARIANT_FALSE;
        refusal = ReasonNotDone(
            [&] { m_document.Call(&IPDDocument::Open, TemporaryBstr(path), &answer); });
        opened = answer != VARIANT_FALSE;
    });
    if (!steps.Failed() && opened) {
        steps.Run([&] {
            AutomationRef<IDispatch> window;
            m_document.Call(&IPDDocument::OpenInViewer, TemporaryBstr(path), window.Receive());
            m_viewer.Narrow(window.Peek());
        });
    }
    if (steps.Failed() || !opened) {
        if (!steps.Failed()) {
            // The application's reason (not a regular file, too large, not a
            // PDF, protected by a password) when it gave one.
            SetError(kErrorCannotOpenPdf, 0, refusal.value_or(WideString()));
        }
        // A document that did not open must not count as open: it would
        // refuse every later open with -2013. Back to the state before the call.
        m_viewer.Clear();
        m_document.Clear();
        if (createdApplication) {
            m_application.Clear();
        }
        return kErrorText;
    }

    m_openPath = path;
    return kDoneText;
}

WideString CPDFSession::ClosePDF() {
    // Only references are dropped: the application is not asked to close the
    // document or its window, and it keeps running.
    m_document.Clear();
    m_fields.Clear();
    m_forms.Clear();
    m_viewer.Clear();
    m_openPath.clear();
    ClearFields();
    return kDoneText;
}

WideString CPDFSession::DeletePDF(const WideString& path) {
    // Only files are deleted: a device node, a FIFO or a socket given by
    // mistake (or by someone hoping for it) stays where it is.
    if (GetFileAttributesW(path.c_str()) == FILE_ATTRIBUTE_DEVICE) {
        SetError(kErrorCannotDeleteFile, 0, OLESTR("not a regular file (a device, FIFO or socket)"));
        return kErrorText;
    }
    if (_wunlink(path.c_str()) == 0) {
        return kDoneText;
    }
    const int error = errno;
    if (error == ENOENT) {
        SetError(kErrorFileNotFound, 0, OLESTR(""));
    } else {
        SetError(kErrorCannotDeleteFile, static_cast<DWORD>(error), SystemReason(error));
    }
    return kErrorText;
}
