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

#include <optional>
#include <string>

class CPDFSession {
public:
    CPDFSession();
    ~CPDFSession();
    CPDFSession(const CPDFSession&) = delete;
    CPDFSession& operator=(const CPDFSession&) = delete;

    // Opening, closing and deleting documents.
    std::u16string OpenPDF(const std::u16string& path);
    std::u16string ClosePDF();
    std::u16string DeletePDF(const std::u16string& path);

    // Saves to `path`, or to the open path when `path` is empty.
    std::u16string SavePDF(const std::u16string& path);
    std::u16string GetNumPages();

    // The application's window and lifetime.
    std::u16string ShowAcrobat();
    std::u16string HideAcrobat();
    std::u16string CloseAcrobat();

    // Page operations (plugin/pages).
    std::u16string InsertPages(LONG afterPage, const std::optional<std::u16string>& sourcePath,
                               LONG startPage, LONG numPages, bool includeBookmarks);
    std::u16string DeletePages(LONG firstPage, LONG lastPage);
    std::u16string AppendPDF(const std::u16string& pathList);
    std::u16string GetTextFromPage(const std::u16string& pageNumber);
    std::u16string GetTextLengthFromPage(const std::u16string& pageNumber);
    std::u16string PrintPDF(bool longForm);

    // Form fields and document information (plugin/forms).
    std::u16string LoadFields();
    std::u16string GetFieldValue(const std::u16string& fieldName);
    std::u16string SetFieldValue(const std::u16string& fieldName, const std::u16string& value);
    std::u16string GetFieldNames(bool includeValues);
    std::u16string GetDocInfo(const std::u16string& key);
    std::u16string SetDocInfo(const std::u16string& key, const std::u16string& value);

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
    const std::u16string& OpenPath() const noexcept { return m_openPath; }
    FieldCache& CachedFields() noexcept { return m_fieldCache; }

private:
    AutomationRef<IAutomationApp> m_application;
    AutomationRef<IPDDocument> m_document;
    AutomationRef<IViewerDocument> m_viewer;
    AutomationRef<IFormsApp> m_forms;
    AutomationRef<IFormFields> m_fields;
    std::u16string m_openPath;
    FieldCache m_fieldCache;
};

// The process's one session, constructed when the library is loaded.
CPDFSession& PdfSession() noexcept;

// Result texts shared by the session methods.
inline constexpr char16_t kDoneText[] = u"0";
inline constexpr char16_t kErrorText[] = u"!!ERROR!!";
