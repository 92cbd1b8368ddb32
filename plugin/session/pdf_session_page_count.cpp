// The open document's page count.
#include "session/pdf_session.h"

#include "automation/guarded_steps.h"
#include "errors/last_error_record.h"

#include <string>

WideString CPDFSession::GetNumPages() {
    if (!m_document) {
        SetError(kErrorNoDocumentOpen, 0, OLESTR(""));
        return kErrorText;
    }
    LONG count = 0;
    GuardedSteps steps;
    steps.Run([&] { m_document.Call(&IPDDocument::GetNumPages, &count); });
    if (steps.Failed()) {
        return kErrorText;
    }
    // Passed on as answered, zero and negative counts included.
    const std::string digits = std::to_string(count);
    return WideString(digits.begin(), digits.end());
}
