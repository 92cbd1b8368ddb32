// The PDF application's automation objects, as the plug-in calls them and as
// the engine (or any stand-in) implements them. Operation order is the
// contract: each interface starts with the seven IUnknown/IDispatch operations,
// then operation 0, 1, 2, ... in the order listed. Slots the plug-in never
// calls are kept as Reserved operations so that later slots stay in place;
// they answer E_NOTIMPL unless an implementation gives them a meaning.
//
// Booleans are 16-bit (0 false), text is a BSTR owned by the caller on return,
// and object results come back as IDispatch pointers with one reference that
// the caller takes over.
#pragma once

#include "com/com.h"

// Interface identities.
constexpr IID IID_IAutomationApp = {0x9b4cd3e6, 0x4981, 0x101b, {0x9c, 0xa8, 0x92, 0x40, 0xce, 0x27, 0x38, 0xae}};
constexpr IID IID_IPDDocument = {0x9b4cd3e7, 0x4981, 0x101b, {0x9c, 0xa8, 0x92, 0x40, 0xce, 0x27, 0x38, 0xae}};
constexpr IID IID_IViewerDocument = {0x9b4cd3e8, 0x4981, 0x101b, {0x9c, 0xa8, 0x92, 0x40, 0xce, 0x27, 0x38, 0xae}};
constexpr IID IID_IPDPage = {0x9b4cd3ea, 0x4981, 0x101b, {0x9c, 0xa8, 0x92, 0x40, 0xce, 0x27, 0x38, 0xae}};
constexpr IID IID_ITextSelection = {0x9b4cd3ef, 0x4981, 0x101b, {0x9c, 0xa8, 0x92, 0x40, 0xce, 0x27, 0x38, 0xae}};
constexpr IID IID_IHighlightList = {0x9b4cd3f0, 0x4981, 0x101b, {0x9c, 0xa8, 0x92, 0x40, 0xce, 0x27, 0x38, 0xae}};
constexpr IID IID_IFormsApp = {0x7cd069a0, 0x50aa, 0x11d1, {0xb8, 0xf0, 0x00, 0xa0, 0xc9, 0x25, 0x93, 0x04}};
constexpr IID IID_IFormFields = {0x673e8452, 0x7646, 0x11d1, {0xb9, 0x0b, 0x00, 0xa0, 0xc9, 0x25, 0x93, 0x04}};
constexpr IID IID_IFormField = {0x673e8454, 0x7646, 0x11d1, {0xb9, 0x0b, 0x00, 0xa0, 0xc9, 0x25, 0x93, 0x04}};

// ProgIDs the plug-in creates objects from.
inline constexpr const char16_t kProgIdApplication[] = u"AcroExch.App";
inline constexpr const char16_t kProgIdPDDocument[] = u"AcroExch.PDDoc";
inline constexpr const char16_t kProgIdHighlightList[] = u"AcroExch.HiliteList";
inline constexpr const char16_t kProgIdFormsApp[] = u"AFormAut.App";

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
    // 2: copies pages [start, start+count) of source after 0-based page afterPage.
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
    virtual HRESULT STDMETHODCALLTYPE Save(SHORT saveType, BSTR path, VARIANT_BOOL* result) = 0;  // 22

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
    // halftones and the page set (-3 all, -4 even, -5 odd).
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

// A highlight list ("AcroExch.HiliteList"): word ranges on a page.
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
    virtual HRESULT STDMETHODCALLTYPE get_Type(BSTR* type) = 0;                // 4
    virtual HRESULT STDMETHODCALLTYPE get_IsNotUserValue(VARIANT_BOOL* skip) = 0;  // 5: skip flag

protected:
    ~IFormField() = default;
};

#undef PAGINOR_RESERVED_OPERATION
