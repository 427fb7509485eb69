// The browser helper object: connects to the browser's events at SetSite and cancels the pop-up
// windows that the user neither opened nor asked for, while Corvane's blocking is on.
#include "HelperObject.h"

#include "Announce.h"

#include <exdisp.h>
#include <exdispid.h>
#include <servprov.h>
#include <shlguid.h>
#include <shobjidl.h>

#include <new>

namespace cvblock {
namespace {

// A new window the user had a hand in: started by a click or a key (USERINITED), asked for
// through the browser's own commands (USERREQUESTED), forced with the override key held
// (OVERRIDEKEY), or let through from the browser's own information bar (USERALLOWED).
constexpr DWORD kUsersOwnWindow =
    DWORD{NWMF_USERINITED} | DWORD{NWMF_USERREQUESTED} | DWORD{NWMF_OVERRIDEKEY} | DWORD{NWMF_USERALLOWED};

// NewWindow3(ppDisp, Cancel, dwFlags, bstrUrlContext, bstrUrl), whose arguments an IDispatch
// event carries last first.
constexpr UINT kNewWindow3Args = 5;
constexpr UINT kCancelArg = 3;
constexpr UINT kFlagsArg = 2;
constexpr UINT kUrlArg = 0;

}  // namespace

HRESULT HelperObject::create(REFIID riid, void** out) {
    void* memory = HeapAlloc(GetProcessHeap(), 0, sizeof(HelperObject));
    if (!memory) return E_OUTOFMEMORY;
    HelperObject* object = new (memory) HelperObject();
    HRESULT hr = object->QueryInterface(riid, out);
    object->Release();  // the creation's own reference: what QueryInterface handed out remains
    return hr;
}

HelperObject::HelperObject() { lockModule(); }

HelperObject::~HelperObject() { unlockModule(); }

STDMETHODIMP HelperObject::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IObjectWithSite)) {
        *out = static_cast<IObjectWithSite*>(this);
    } else if (IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, DIID_DWebBrowserEvents2)) {
        *out = static_cast<IDispatch*>(this);
    } else {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) HelperObject::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&references_)); }

STDMETHODIMP_(ULONG) HelperObject::Release() {
    LONG left = InterlockedDecrement(&references_);
    if (left == 0) {
        this->~HelperObject();
        HeapFree(GetProcessHeap(), 0, this);
    }
    return static_cast<ULONG>(left);
}

STDMETHODIMP HelperObject::SetSite(IUnknown* site) {
    disconnect();
    site_.reset();
    if (!site) return S_OK;
    site_.set(site);
    return connect(site);
}

STDMETHODIMP HelperObject::GetSite(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    return site_ ? site_->QueryInterface(riid, out) : E_FAIL;
}

// The site is the browser itself, or a host that hands the browser out as a service.
HRESULT HelperObject::connect(IUnknown* site) {
    ComPtr<IWebBrowser2> browser;
    HRESULT hr = site->QueryInterface(IID_IWebBrowser2, browser.outVoid());
    if (FAILED(hr)) {
        ComPtr<IServiceProvider> services;
        hr = site->QueryInterface(IID_IServiceProvider, services.outVoid());
        if (SUCCEEDED(hr)) hr = services->QueryService(SID_SWebBrowserApp, IID_IWebBrowser2, browser.outVoid());
    }
    if (SUCCEEDED(hr) && !browser) hr = E_NOINTERFACE;
    ComPtr<IConnectionPointContainer> points;
    if (SUCCEEDED(hr)) hr = browser->QueryInterface(IID_IConnectionPointContainer, points.outVoid());
    ComPtr<IConnectionPoint> events;
    if (SUCCEEDED(hr)) hr = points->FindConnectionPoint(DIID_DWebBrowserEvents2, events.out());
    if (SUCCEEDED(hr) && !events) hr = E_NOINTERFACE;
    DWORD cookie = 0;
    if (SUCCEEDED(hr)) hr = events->Advise(static_cast<IDispatch*>(this), &cookie);
    if (FAILED(hr)) return hr;
    events_.set(events.get());
    cookie_ = cookie;
    return S_OK;
}

// The browser holds this object as its listener until Unadvise: without it, the two would keep
// each other alive.
void HelperObject::disconnect() {
    if (!events_) return;
    events_->Unadvise(cookie_);
    cookie_ = 0;
    events_.reset();
}

STDMETHODIMP HelperObject::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP HelperObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (info) *info = nullptr;
    return E_NOTIMPL;
}

STDMETHODIMP HelperObject::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

STDMETHODIMP HelperObject::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) {
    // Every other event of the browser is of no concern here.
    return id == DISPID_NEWWINDOW3 ? newWindow3(params) : S_OK;
}

// An event whose arguments are not what the browser sends is refused and changes nothing.
HRESULT HelperObject::newWindow3(const DISPPARAMS* params) {
    if (!params || !params->rgvarg || params->cArgs != kNewWindow3Args || params->cNamedArgs != 0)
        return DISP_E_BADPARAMCOUNT;
    const VARIANT& cancel = params->rgvarg[kCancelArg];
    const VARIANT& flags = params->rgvarg[kFlagsArg];
    const VARIANT& url = params->rgvarg[kUrlArg];
    if (V_VT(&cancel) != (VT_BYREF | VT_BOOL) || !V_BOOLREF(&cancel)) return DISP_E_TYPEMISMATCH;
    if (V_VT(&flags) != VT_I4 && V_VT(&flags) != VT_UI4) return DISP_E_TYPEMISMATCH;
    if (V_VT(&url) != VT_BSTR) return DISP_E_TYPEMISMATCH;

    if (static_cast<DWORD>(V_I4(&flags)) & kUsersOwnWindow) return S_OK;
    if (!blockingEnabled()) return S_OK;
    *V_BOOLREF(&cancel) = VARIANT_TRUE;
    countBlockedPopup();
    announceInBackground(Text{V_BSTR(&url), static_cast<int>(SysStringLen(V_BSTR(&url)))});
    return S_OK;
}

}  // namespace cvblock
