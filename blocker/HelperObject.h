// The browser helper object: the browser hands it its site, and it listens to the browser's events
// to cancel the pop-up windows that the user did not ask for.
#pragma once

#include "Module.h"

#include <ocidl.h>
#include <oleauto.h>

namespace cvblock {

class HelperObject final : public IObjectWithSite, public IDispatch {
public:
    // A new object, handed out as riid.
    static HRESULT create(REFIID riid, void** out);

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // The browser calls SetSite with itself when it loads the object, and with null when it
    // lets the object go.
    STDMETHODIMP SetSite(IUnknown* site) override;
    STDMETHODIMP GetSite(REFIID riid, void** out) override;

    // The browser's events (DWebBrowserEvents2) arrive here.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) override;

private:
    HelperObject();
    ~HelperObject();
    HelperObject(const HelperObject&) = delete;
    HelperObject& operator=(const HelperObject&) = delete;

    HRESULT connect(IUnknown* site);
    void disconnect();
    HRESULT newWindow3(const DISPPARAMS* params);

    LONG references_ = 1;
    ComPtr<IUnknown> site_;
    ComPtr<IConnectionPoint> events_;  // the browser's DWebBrowserEvents2, while connected
    DWORD cookie_ = 0;
};

}  // namespace cvblock
