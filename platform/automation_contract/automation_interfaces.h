// The PDF application's automation objects, as the plug-in calls them and as
// the engine (or any stand-in) implements them. This folder stands in for the
// application's type library: the interfaces here, their identities and the
// ProgIDs in automation_identities.h, the values both sides read the same way
// in automation_values.h.
//
// Operation order is the contract: each interface starts with the seven
// IUnknown/IDispatch operations, then operation 0, 1, 2, ... in the order
// listed. Slots the plug-in never calls are kept as Reserved operations so
// that later slots stay in place; they answer E_NOTIMPL unless an
// implementation gives them a meaning.
//
// Booleans are 16-bit (0 false), text is a BSTR owned by the caller on return,
// and object results come back as IDispatch pointers with one reference that
// the caller takes over.
#pragma once

#include "automation_contract/automation_identities.h"
#include "com/com.h"

// The slot table below is aligned by hand.
// clang-format off
#define PAGINOR_RESERVED_OPERATION(name)                                                         \
    virtual HRESULT STDMETHODCALLTYPE name() { return E_NOTIMPL; }

// The application ("AcroExch.App").
struct IAutomationApp : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE EndApplication(VARIANT_BOOL* result) = 0;     // 0
    virtual HRESULT STDMETHODCALLTYPE Hide(VARIANT_BOOL* result) = 0;               // 1
    virtual HRESULT STDMETHODCALLTYPE Show(VARIANT_BOOL* result) = 0;               // 2
    virtual HRESULT STDMETHODCALLTYPE CloseAllDocuments(VARIANT_BOOL* result) = 0;  // 3

protected:
    ~IAutomationApp() = default;
};

// A PD document ("AcroExch.PDDoc", or the viewer's operation 1).
struct IPDDocument : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Open(BSTR path, VARIANT_BOOL* result) = 0;  // 0
    virtual HRESULT STDMETHODCALLTYPE Close(VARIANT_BOOL* result) = 0;            // 1
    // 2: copies pages [start, start+count) of source after 0-based page afterPage
    // (kBeforeFirstPage: in front of the first page).
    virtual HRESULT STDMETHODCALLTYPE InsertPages(LONG afterPage, IDispatch* source, LONG startPage,
                                                  LONG numPages, LONG bookmarks,
                                                  VARIANT_BOOL* result) = 0;
    PAGINOR_RESERVED_OPERATION(Reserved3)                                                    // 3
    virtual HRESULT STDMETHODCALLTYPE DeletePages(LONG first, LONG last, VARIANT_BOOL* result) = 0;  // 4
    virtual HRESULT STDMETHODCALLTYPE GetNumPages(LONG* count) = 0;                          // 5
    PAGINOR_RESERVED_OPERATION(Reserved6)                                                    // 6
    virtual HRESULT STDMETHODCALLTYPE GetInfo(BSTR key, BSTR* value) = 0;                    // 7
    virtual HRESULT STDMETHODCALLTYPE SetInfo(BSTR key, BSTR value, VARIANT_BOOL* result) = 0;  // 8
    PAGINOR_RESERVED_OPERATION(Reserved9)                                                    // 9
    PAGINOR_RESERVED_OPERATION(Reserved10)                                                   // 10
    PAGINOR_RESERVED_OPERATION(Reserved11)                                                   // 11
    PAGINOR_RESERVED_OPERATION(Reserved12)                                                   // 12
    PAGINOR_RESERVED_OPERATION(Reserved13)                                                   // 13
    PAGINOR_RESERVED_OPERATION(Reserved14)                                                   // 14
    PAGINOR_RESERVED_OPERATION(Reserved15)                                                   // 15
    virtual HRESULT STDMETHODCALLTYPE AcquirePage(LONG index, IDispatch** page) = 0;        // 16
    PAGINOR_RESERVED_OPERATION(Reserved17)                                                   // 17
    PAGINOR_RESERVED_OPERATION(Reserved18)                                                   // 18
    PAGINOR_RESERVED_OPERATION(Reserved19)                                                   // 19
    PAGINOR_RESERVED_OPERATION(Reserved20)                                                   // 20
    virtual HRESULT STDMETHODCALLTYPE OpenInViewer(BSTR title, IDispatch** viewer) = 0;     // 21
    // 22: saveType combines the kSave* flags.
    virtual HRESULT STDMETHODCALLTYPE Save(SHORT saveType, BSTR path, VARIANT_BOOL* result) = 0;

protected:
    ~IPDDocument() = default;
};

// The viewer document: the PD document's window in the viewer.
struct IViewerDocument : IDispatch {
    PAGINOR_RESERVED_OPERATION(Reserved0)                                             // 0
    virtual HRESULT STDMETHODCALLTYPE GetPDDocument(IDispatch** document) = 0;        // 1
    PAGINOR_RESERVED_OPERATION(Reserved2)                                             // 2
    PAGINOR_RESERVED_OPERATION(Reserved3)                                             // 3
    PAGINOR_RESERVED_OPERATION(Reserved4)                                             // 4
    PAGINOR_RESERVED_OPERATION(Reserved5)                                             // 5
    PAGINOR_RESERVED_OPERATION(Reserved6)                                             // 6
    PAGINOR_RESERVED_OPERATION(Reserved7)                                             // 7
    PAGINOR_RESERVED_OPERATION(Reserved8)                                             // 8
    PAGINOR_RESERVED_OPERATION(Reserved9)                                             // 9
    PAGINOR_RESERVED_OPERATION(Reserved10)                                            // 10
    PAGINOR_RESERVED_OPERATION(Reserved11)                                            // 11
    PAGINOR_RESERVED_OPERATION(Reserved12)                                            // 12
    PAGINOR_RESERVED_OPERATION(Reserved13)                                            // 13
    virtual HRESULT STDMETHODCALLTYPE SetTextSelection(IDispatch* selection, VARIANT_BOOL* result) = 0;  // 14
    PAGINOR_RESERVED_OPERATION(Reserved15)                                            // 15
    PAGINOR_RESERVED_OPERATION(Reserved16)                                            // 16
    PAGINOR_RESERVED_OPERATION(Reserved17)                                            // 17
    PAGINOR_RESERVED_OPERATION(Reserved18)                                            // 18
    PAGINOR_RESERVED_OPERATION(Reserved19)                                            // 19
    // 20: short print request: first, last, postScript level, binary flag, shrink-to-fit.
    virtual HRESULT STDMETHODCALLTYPE PrintPages(LONG first, LONG last, LONG psLevel, LONG binaryOk,
                                                 LONG shrinkToFit, VARIANT_BOOL* result) = 0;
    // 21: long print request: the five above, then reverse, farEast fonts, emit
    // halftones and the page set (kPageSetAll, kPageSetEven, kPageSetOdd).
    virtual HRESULT STDMETHODCALLTYPE PrintPagesEx(LONG first, LONG last, LONG psLevel, LONG binaryOk,
                                                   LONG shrinkToFit, LONG reverse, LONG farEastFonts,
                                                   LONG emitHalftones, LONG pageSet,
                                                   VARIANT_BOOL* result) = 0;

protected:
    ~IViewerDocument() = default;
};

// A page of a PD document (PD document operation 16).
struct IPDPage : IDispatch {
    PAGINOR_RESERVED_OPERATION(Reserved0)  // 0
    PAGINOR_RESERVED_OPERATION(Reserved1)  // 1
    PAGINOR_RESERVED_OPERATION(Reserved2)  // 2
    PAGINOR_RESERVED_OPERATION(Reserved3)  // 3
    PAGINOR_RESERVED_OPERATION(Reserved4)  // 4
    PAGINOR_RESERVED_OPERATION(Reserved5)  // 5
    PAGINOR_RESERVED_OPERATION(Reserved6)  // 6
    PAGINOR_RESERVED_OPERATION(Reserved7)  // 7
    // 8: a text selection of the words in the highlight list's ranges.
    virtual HRESULT STDMETHODCALLTYPE CreateTextSelection(IDispatch* highlightList,
                                                          IDispatch** selection) = 0;

protected:
    ~IPDPage() = default;
};

// A text selection (page operation 8).
struct ITextSelection : IDispatch {
    PAGINOR_RESERVED_OPERATION(Reserved0)                                              // 0
    virtual HRESULT STDMETHODCALLTYPE GetNumText(LONG* count) = 0;                     // 1
    PAGINOR_RESERVED_OPERATION(Reserved2)                                              // 2
    PAGINOR_RESERVED_OPERATION(Reserved3)                                              // 3
    virtual HRESULT STDMETHODCALLTYPE GetText(LONG index, BSTR* text) = 0;             // 4

protected:
    ~ITextSelection() = default;
};

// A highlight list ("AcroExch.HiliteList"): word ranges on a page; a length of
// kHighlightToEndOfPage reaches to the page's last word.
struct IHighlightList : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE Add(SHORT offset, SHORT length, VARIANT_BOOL* result) = 0;  // 0

protected:
    ~IHighlightList() = default;
};

// The forms object ("AFormAut.App").
struct IFormsApp : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Fields(IDispatch** fields) = 0;  // 0

protected:
    ~IFormsApp() = default;
};

// The forms object's field collection.
struct IFormFields : IDispatch {
    PAGINOR_RESERVED_OPERATION(Reserved0)                                    // 0
    virtual HRESULT STDMETHODCALLTYPE get_Count(LONG* count) = 0;            // 1
    PAGINOR_RESERVED_OPERATION(Reserved2)                                    // 2
    PAGINOR_RESERVED_OPERATION(Reserved3)                                    // 3
    PAGINOR_RESERVED_OPERATION(Reserved4)                                    // 4
    PAGINOR_RESERVED_OPERATION(Reserved5)                                    // 5
    PAGINOR_RESERVED_OPERATION(Reserved6)                                    // 6
    PAGINOR_RESERVED_OPERATION(Reserved7)                                    // 7
    PAGINOR_RESERVED_OPERATION(Reserved8)                                    // 8
    // 9: an IEnumVARIANT (as IUnknown) over VT_DISPATCH field elements.
    virtual HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** enumerator) = 0;

protected:
    ~IFormFields() = default;
};

// One form field, handed out by the collection's enumerator.
struct IFormField : IDispatch {
    virtual HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) = 0;                // 0
    virtual HRESULT STDMETHODCALLTYPE get_Value(BSTR* value) = 0;              // 1
    virtual HRESULT STDMETHODCALLTYPE put_Value(BSTR value) = 0;               // 2
    virtual HRESULT STDMETHODCALLTYPE get_IsTerminal(VARIANT_BOOL* keep) = 0;  // 3: keep flag
    virtual HRESULT STDMETHODCALLTYPE get_Type(BSTR* type) = 0;                // 4: kFieldType*
    virtual HRESULT STDMETHODCALLTYPE get_IsNotUserValue(VARIANT_BOOL* skip) = 0;  // 5: skip flag

protected:
    ~IFormField() = default;
};

#undef PAGINOR_RESERVED_OPERATION
// clang-format on
