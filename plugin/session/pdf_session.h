// The plug-in's single PDF session: the automation objects of the running PDF
// application and of the one open document, the path it was opened from, and
// the cache of its form fields. Every document script function calls exactly
// one method here; each method returns the function's text ("0", a value, or
// "!!ERROR!!" after recording the failure in the last-error record).
//
// States: Idle (nothing held), Application held, Document open (document
// object held; a document counts as open exactly while it is held).
#pragma once

#include "automation/automation_reference.h"
#include "session/field_cache.h"
#include "win/wide_string.h"

#include <optional>
#include <string>

class CPDFSession {
public:
    CPDFSession();
    ~CPDFSession();
    CPDFSession(const CPDFSession&) = delete;
    CPDFSession& operator=(const CPDFSession&) = delete;

    // Opening, closing and deleting documents.
    WideString OpenPDF(const WideString& path);
    WideString ClosePDF();
    WideString DeletePDF(const WideString& path);

    // Saves to `path`, or to the open path when `path` is empty.
    WideString SavePDF(const WideString& path);
    WideString GetNumPages();

    // The application's window and lifetime.
    WideString ShowAcrobat();
    WideString HideAcrobat();
    WideString CloseAcrobat();

    // Page operations (plugin/pages).
    WideString InsertPages(LONG afterPage, const std::optional<WideString>& sourcePath,
                           LONG startPage, LONG numPages, bool includeBookmarks);
    WideString DeletePages(LONG firstPage, LONG lastPage);
    WideString AppendPDF(const WideString& pathList);
    WideString GetTextFromPage(const WideString& pageNumber);
    WideString GetTextLengthFromPage(const WideString& pageNumber);
    WideString PrintPDF(bool longForm);

    // Form fields and document information (plugin/forms).
    WideString LoadFields();
    WideString GetFieldValue(const WideString& fieldName);
    WideString SetFieldValue(const WideString& fieldName, const WideString& value);
    WideString GetFieldNames(bool includeValues);
    WideString GetDocInfo(const WideString& key);
    WideString SetDocInfo(const WideString& key, const WideString& value);

    // Deletes every cached field. Records nothing, cannot fail.
    void ClearFields() noexcept;
    // Empties the field cache and drops the application, viewer, fields
    // collection and forms object. The document object and the open path
    // stay, so a document still counts as open. Records nothing.
    void Reset() noexcept;
    // After an automation call found the server gone: drops every reference
    // to it, as closing the document and the application would, so that the
    // next OpenPDF starts a fresh server. Records nothing.
    void ForgetLostServer() noexcept;

    AutomationRef<IAutomationApp>& Application() noexcept { return m_application; }
    AutomationRef<IPDDocument>& Document() noexcept { return m_document; }
    AutomationRef<IViewerDocument>& Viewer() noexcept { return m_viewer; }
    AutomationRef<IFormsApp>& Forms() noexcept { return m_forms; }
    AutomationRef<IFormFields>& Fields() noexcept { return m_fields; }
    const WideString& OpenPath() const noexcept { return m_openPath; }
    FieldCache& CachedFields() noexcept { return m_fieldCache; }

private:
    AutomationRef<IAutomationApp> m_application;
    AutomationRef<IPDDocument> m_document;
    AutomationRef<IViewerDocument> m_viewer;
    AutomationRef<IFormsApp> m_forms;
    AutomationRef<IFormFields> m_fields;
    WideString m_openPath;
    FieldCache m_fieldCache;
};

// The process's one session, constructed when the library is loaded.
CPDFSession& PdfSession() noexcept;

// Result texts shared by the session methods.
inline constexpr WCHAR kDoneText[] = OLESTR("0");
inline constexpr WCHAR kErrorText[] = OLESTR("!!ERROR!!");
