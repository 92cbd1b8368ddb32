// The text of one page: a highlight list covering the whole page is turned
// by the page into a text selection, which is set on the viewer window and
// whose items are joined.
#include "session/pdf_session.h"

#include "automation/create_instance.h"
#include "automation_contract/automation_values.h"
#include "com/bstr_holder.h"
#include "errors/last_error_record.h"
#include "host/value_conversion.h"
#include "pages/operation_steps.h"
#include "pages/page_index.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

namespace {

constexpr WCHAR kNoTextSelection[] = OLESTR("Failed to create text selection.");

// "<text>\n CODE:" followed by the status as eight lower-case hex digits.
WideString HighlightListFailure(const char* text, HRESULT status) {
    char detail[128];
    std::snprintf(detail, sizeof detail, "%s\n CODE:%08x", text, static_cast<unsigned>(status));
    return WideString(detail, detail + std::char_traits<char>::length(detail));
}

// The page's text, or no value after recording the failure.
std::optional<WideString> ReadPageText(CPDFSession& session, const WideString& pageNumber) {
    AutomationRef<IPDDocument>& document = session.Document();
    AutomationRef<IViewerDocument>& viewer = session.Viewer();
    AutomationRef<IAutomationApp>& application = session.Application();
    if (!document) {
        SetError(kErrorNoDocumentOpen, 0, OLESTR(""));
        return std::nullopt;
    }
    if (!viewer) {
        SetError(kErrorNoViewerFile, 0, OLESTR(""));
        return std::nullopt;
    }
    OperationSteps steps;
    VARIANT_BOOL shown = VARIANT_FALSE;
    if (steps.Run([&] { application.Call(&IAutomationApp::Show, &shown); }) &&
        shown == VARIANT_FALSE) {
        steps.Refuse(kErrorCannotShowAcrobat, OLESTR(""));
    }
    if (steps.Failed()) {
        return std::nullopt;
    }

    CLSID highlightListClass{};
    HRESULT status = CLSIDFromProgID(kProgIdHighlightList, &highlightListClass);
    if (FAILED(status)) {
        SetError(kErrorLibraryFailedToLoad, static_cast<DWORD>(status),
                 HighlightListFailure("OLE ERROR: Cannot find class id for AcroExch.HiLiteList.",
                                      status));
        return std::nullopt;
    }
    // Released in reverse order of declaration: selection, page, highlight list.
    AutomationRef<IHighlightList> highlightList;
    AutomationRef<IPDPage> page;
    AutomationRef<ITextSelection> selection;
    status = CreateInstance(highlightList, highlightListClass, CLSCTX_ALL);
    if (FAILED(status)) {
        SetError(kErrorLibraryFailedToLoad, static_cast<DWORD>(status),
                 HighlightListFailure("OLE ERROR: Cannot create instantiate AcroExch.HiLiteList.",
                                      status));
        return std::nullopt;
    }

    steps.Run([&] {
        // From the first word to the end: every word of the page.
        VARIANT_BOOL added = VARIANT_FALSE;
        highlightList.Call(&IHighlightList::Add, SHORT{0}, kHighlightToEndOfPage, &added);
    });
    steps.Run([&] {
        const LONG index = IndexOfPage(WideToLong(pageNumber));
        AutomationRef<IDispatch> pageObject;
        document.Call(&IPDDocument::AcquirePage, index, pageObject.Receive());
        page.Narrow(pageObject.Peek());
    });
    steps.Run([&] {
        AutomationRef<IDispatch> selectionObject;
        page.Call(&IPDPage::CreateTextSelection, highlightList.Peek(), selectionObject.Receive());
        selection.Narrow(selectionObject.Peek());
    });
    if (!steps.Failed() && !selection) {
        steps.Refuse(kErrorCannotGetPageText, kNoTextSelection);
    }
    steps.Run([&] {
        VARIANT_BOOL selected = VARIANT_FALSE;
        viewer.Call(&IViewerDocument::SetTextSelection, selection.Peek(), &selected);
    });
    LONG itemCount = 0;
    steps.Run([&] { selection.Call(&ITextSelection::GetNumText, &itemCount); });
    steps.Run([&] { selection.Call(&ITextSelection::GetNumText, &itemCount); });
    if (!steps.Failed() && itemCount == 0) {
        steps.Refuse(kErrorCannotGetPageText, kNoTextSelection);
    }
    WideString text;
    steps.Run([&] {
        for (LONG item = 0; item < itemCount; ++item) {
            paginor::BstrHolder itemText;
            selection.Call(&ITextSelection::GetText, item, itemText.put());
            text += itemText.view();
        }
        std::erase(text, OLESTR('\n'));
    });
    if (steps.Failed()) {
        return std::nullopt;
    }
    return text;
}

} // namespace

WideString CPDFSession::GetTextFromPage(const WideString& pageNumber) {
    return ReadPageText(*this, pageNumber).value_or(kErrorText);
}

// The length, in UTF-16 code units, of exactly the text GetTextFromPage gives.
WideString CPDFSession::GetTextLengthFromPage(const WideString& pageNumber) {
    const std::optional<WideString> text = ReadPageText(*this, pageNumber);
    if (!text) {
        return kErrorText;
    }
    const std::string digits = std::to_string(text->size());
    return WideString(digits.begin(), digits.end());
}
