// A test interface that exercises every argument kind the runtime carries
// between processes, and a server module (libwidget_server.so) that serves
// it in-process or, through com_surrogate, from a local server. The same
// module holds the interface's proxy and stub.
#pragma once

#include "com/com.h"

constexpr IID IID_ITestWidget = {
    0x2f6e3c10, 0x7a44, 0x4b1d, {0x9e, 0x52, 0x13, 0x0c, 0x6a, 0x77, 0x80, 0x01}};
constexpr CLSID CLSID_TestWidget = {
    0x2f6e3c10, 0x7a44, 0x4b1d, {0x9e, 0x52, 0x13, 0x0c, 0x6a, 0x77, 0x80, 0x02}};

// What Misbehave does.
enum WidgetMisbehaviour : LONG {
    kSleepMilliseconds = 1, // amount: milliseconds
    kHoldMebibytes = 2,     // amount: MiB touched and kept
    kAbort = 3,
    kExitWithStatus = 4, // amount: the status
};

struct ITestWidget : IDispatch {
    // The widget's name: fixed at creation, so it travels with every reference.
    virtual HRESULT STDMETHODCALLTYPE GetName(BSTR* name) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetNumbers(LONG number, SHORT small) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetNumbers(LONG* number, SHORT* small) = 0;
    virtual HRESULT STDMETHODCALLTYPE SetText(BSTR text) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetText(BSTR* text) = 0;
    virtual HRESULT STDMETHODCALLTYPE MakeChild(BSTR name, IDispatch** child) = 0;
    virtual HRESULT STDMETHODCALLTYPE GetSelf(IDispatch** self) = 0;
    // S_OK with no object.
    virtual HRESULT STDMETHODCALLTYPE GetNothing(IDispatch** nothing) = 0;
    // The name of `other` when it is one of this server's own widgets (E_INVALIDARG
    // otherwise, S_FALSE and no name for none).
    virtual HRESULT STDMETHODCALLTYPE NameOf(IDispatch* other, BSTR* name) = 0;
    // An IEnumVARIANT over `count` elements: a VT_I4 (index), a VT_BSTR
    // ("item N") and a VT_DISPATCH widget named "item N", in turn.
    virtual HRESULT STDMETHODCALLTYPE Items(LONG count, IUnknown** enumerator) = 0;
    // Fails with `status`, with error information holding `description`
    // unless it is null.
    virtual HRESULT STDMETHODCALLTYPE Fail(LONG status, BSTR description) = 0;
    virtual HRESULT STDMETHODCALLTYPE Misbehave(LONG how, LONG amount) = 0;
    // The module's live objects and its process.
    virtual HRESULT STDMETHODCALLTYPE Census(LONG* liveObjects, LONG* processId) = 0;

protected:
    ~ITestWidget() = default;
};
