// Test program that plays the browser for cvblock.dll: it creates the module through COM as
// regsvr32 registered it, hands it a site, fires NewWindow3 at the listener the module connects,
// and checks what the module does. Each check prints "ok" or "FAIL"; the exit code counts the
// failures. A copydata_receiver (TCorvaneMain "Preferences") must be running beside it.
#include <windows.h>
#include <exdisp.h>
#include <exdispid.h>
#include <ocidl.h>
#include <olectl.h>
#include <servprov.h>
#include <shlguid.h>
#include <sddl.h>
#include <shobjidl.h>

#include <cstdio>

namespace {

const CLSID kClsid = {0x9ed2fc98, 0x244c, 0x4b6f, {0xa6, 0xd6, 0x3f, 0xed, 0xad, 0x28, 0x1e, 0x12}};
constexpr wchar_t kSettingsKey[] = L"SOFTWARE\\Tessaly\\Corvane\\Version2\\Settings";
constexpr DWORD kWaitMs = 10000;
int g_failures = 0;

void check(bool good, const char* what) {
    std::printf("%s %s\n", good ? "ok  " : "FAIL", what);
    std::fflush(stdout);
    if (!good) ++g_failures;
}

// A settings value, or -1 when it is missing.
long long readSetting(const wchar_t* name) {
    DWORD value = 0, size = sizeof value;
    LONG rc = RegGetValueW(HKEY_LOCAL_MACHINE, kSettingsKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size);
    return rc == ERROR_SUCCESS ? static_cast<long long>(value) : -1;
}

void writeSetting(const wchar_t* name, DWORD value) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
        RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
        RegCloseKey(key);
    }
}

// Gives the settings key the access list `descriptor` (SDDL); Wine enforces it when the key is
// opened, as Windows enforces integrity levels.
bool setSettingsAccess(const wchar_t* descriptor) {
    PSECURITY_DESCRIPTOR sd = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(descriptor, SDDL_REVISION_1, &sd, nullptr)) return false;
    HKEY key = nullptr;
    LONG rc = RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSettingsKey, 0, WRITE_DAC, &key);
    if (rc == ERROR_SUCCESS) rc = RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, sd);
    if (key) RegCloseKey(key);
    LocalFree(sd);
    return rc == ERROR_SUCCESS;
}

// The browser: IWebBrowser2 (none of whose methods the module calls) with the connection point of
// its events. It lives on the stack; its count of references shows what the module still holds.
class Browser final : public IWebBrowser2, public IConnectionPointContainer, public IConnectionPoint {
public:
    LONG references = 0;
    IDispatch* listener = nullptr;
    int advised = 0, unadvised = 0;
    bool unadviseCookieMatched = false;

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IDispatch) || IsEqualIID(riid, IID_IWebBrowser) ||
            IsEqualIID(riid, IID_IWebBrowserApp) || IsEqualIID(riid, IID_IWebBrowser2))
            *out = static_cast<IWebBrowser2*>(this);
        else if (IsEqualIID(riid, IID_IConnectionPointContainer))
            *out = static_cast<IConnectionPointContainer*>(this);
        else if (IsEqualIID(riid, IID_IConnectionPoint))
            *out = static_cast<IConnectionPoint*>(this);
        else
            return *out = nullptr, E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }

    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints**) override { return E_NOTIMPL; }
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** out) override {
        *out = nullptr;
        if (!IsEqualIID(riid, DIID_DWebBrowserEvents2)) return CONNECT_E_NOCONNECTION;
        *out = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP GetConnectionInterface(IID*) override { return E_NOTIMPL; }
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer**) override { return E_NOTIMPL; }
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override {
        if (listener) return CONNECT_E_ADVISELIMIT;
        HRESULT hr = sink->QueryInterface(DIID_DWebBrowserEvents2, reinterpret_cast<void**>(&listener));
        if (FAILED(hr)) return hr;
        ++advised;
        *cookie = kCookie;
        return S_OK;
    }
    STDMETHODIMP Unadvise(DWORD cookie) override {
        ++unadvised;
        unadviseCookieMatched = cookie == kCookie;
        if (!listener || cookie != kCookie) return CONNECT_E_NOCONNECTION;
        listener->Release();
        listener = nullptr;
        return S_OK;
    }
    STDMETHODIMP EnumConnections(IEnumConnections**) override { return E_NOTIMPL; }

    STDMETHODIMP GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
    STDMETHODIMP GoBack() override { return E_NOTIMPL; }
    STDMETHODIMP GoForward() override { return E_NOTIMPL; }
    STDMETHODIMP GoHome() override { return E_NOTIMPL; }
    STDMETHODIMP GoSearch() override { return E_NOTIMPL; }
    STDMETHODIMP Navigate(BSTR, VARIANT*, VARIANT*, VARIANT*, VARIANT*) override { return E_NOTIMPL; }
    STDMETHODIMP Refresh() override { return E_NOTIMPL; }
    STDMETHODIMP Refresh2(VARIANT*) override { return E_NOTIMPL; }
    STDMETHODIMP Stop() override { return E_NOTIMPL; }
    STDMETHODIMP get_Application(IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP get_Parent(IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP get_Container(IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP get_Document(IDispatch**) override { return E_NOTIMPL; }
    STDMETHODIMP get_TopLevelContainer(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP get_Type(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP get_Left(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP put_Left(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP get_Top(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP put_Top(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP get_Width(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP put_Width(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP get_Height(LONG*) override { return E_NOTIMPL; }
    STDMETHODIMP put_Height(LONG) override { return E_NOTIMPL; }
    STDMETHODIMP get_LocationName(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP get_LocationURL(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP get_Busy(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP Quit() override { return E_NOTIMPL; }
    STDMETHODIMP ClientToWindow(int*, int*) override { return E_NOTIMPL; }
    STDMETHODIMP PutProperty(BSTR, VARIANT) override { return E_NOTIMPL; }
    STDMETHODIMP GetProperty(BSTR, VARIANT*) override { return E_NOTIMPL; }
    STDMETHODIMP get_Name(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP get_HWND(SHANDLE_PTR*) override { return E_NOTIMPL; }
    STDMETHODIMP get_FullName(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP get_Path(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP get_Visible(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP put_Visible(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_StatusBar(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP put_StatusBar(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_StatusText(BSTR*) override { return E_NOTIMPL; }
    STDMETHODIMP put_StatusText(BSTR) override { return E_NOTIMPL; }
    STDMETHODIMP get_ToolBar(int*) override { return E_NOTIMPL; }
    STDMETHODIMP put_ToolBar(int) override { return E_NOTIMPL; }
    STDMETHODIMP get_MenuBar(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP put_MenuBar(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_FullScreen(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP put_FullScreen(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP Navigate2(VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryStatusWB(OLECMDID, OLECMDF*) override { return E_NOTIMPL; }
    STDMETHODIMP ExecWB(OLECMDID, OLECMDEXECOPT, VARIANT*, VARIANT*) override { return E_NOTIMPL; }
    STDMETHODIMP ShowBrowserBar(VARIANT*, VARIANT*, VARIANT*) override { return E_NOTIMPL; }
    STDMETHODIMP get_ReadyState(READYSTATE*) override { return E_NOTIMPL; }
    STDMETHODIMP get_Offline(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP put_Offline(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_Silent(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP put_Silent(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_RegisterAsBrowser(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP put_RegisterAsBrowser(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_RegisterAsDropTarget(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP put_RegisterAsDropTarget(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_TheaterMode(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP put_TheaterMode(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_AddressBar(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP put_AddressBar(VARIANT_BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP get_Resizable(VARIANT_BOOL*) override { return E_NOTIMPL; }
    STDMETHODIMP put_Resizable(VARIANT_BOOL) override { return E_NOTIMPL; }

private:
    static constexpr DWORD kCookie = 0x5eed;
};

// A host that is not the browser but hands it out as a service, as a browser's frame does.
class Host final : public IServiceProvider {
public:
    explicit Host(Browser& browser) : browser_(browser) {}
    LONG references = 0;
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (!IsEqualIID(riid, IID_IUnknown) && !IsEqualIID(riid, IID_IServiceProvider))
            return *out = nullptr, E_NOINTERFACE;
        *out = this;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++references; }
    STDMETHODIMP_(ULONG) Release() override { return --references; }
    STDMETHODIMP QueryService(REFGUID service, REFIID riid, void** out) override {
        if (!IsEqualGUID(service, SID_SWebBrowserApp)) return *out = nullptr, E_NOINTERFACE;
        return browser_.QueryInterface(riid, out);
    }

private:
    Browser& browser_;
};

// The NewWindow3 event as the browser fires it: arguments last first.
struct NewWindow3 {
    IDispatch* window = nullptr;
    VARIANT_BOOL cancel = VARIANT_FALSE;
    VARIANT args[5];
    DISPPARAMS params{args, nullptr, 5, 0};

    NewWindow3(DWORD flags, const wchar_t* url) {
        for (VARIANT& v : args) VariantInit(&v);
        V_VT(&args[4]) = VT_BYREF | VT_DISPATCH;
        V_DISPATCHREF(&args[4]) = &window;
        V_VT(&args[3]) = VT_BYREF | VT_BOOL;
        V_BOOLREF(&args[3]) = &cancel;
        V_VT(&args[2]) = VT_I4;
        V_I4(&args[2]) = static_cast<LONG>(flags);
        V_VT(&args[1]) = VT_BSTR;
        V_BSTR(&args[1]) = SysAllocString(L"http://page.example/");
        V_VT(&args[0]) = VT_BSTR;
        V_BSTR(&args[0]) = SysAllocString(url);
    }
    ~NewWindow3() {
        SysFreeString(V_BSTR(&args[1]));
        SysFreeString(V_BSTR(&args[0]));
    }
    HRESULT fire(IDispatch* listener) {
        return listener->Invoke(DISPID_NEWWINDOW3, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr,
                                nullptr, nullptr);
    }
};

// Two unrequested pop-ups, the second while the first is on its way; true when both were cancelled.
bool fireTwo(IDispatch* listener, const wchar_t* firstAddress, const wchar_t* secondAddress) {
    NewWindow3 first(NWMF_FIRST, firstAddress);
    NewWindow3 second(0, secondAddress);
    first.fire(listener);
    second.fire(listener);
    return first.cancel == VARIANT_TRUE && second.cancel == VARIANT_TRUE;
}

// The receiver's side of one WM_COPYDATA: it signals Received, waits (bounded) for Release, logs
// the message and signals Answered.
struct Receiver {
    HANDLE received = CreateEventW(nullptr, FALSE, FALSE, L"Local\\CvblockTestReceived");
    HANDLE release = CreateEventW(nullptr, FALSE, FALSE, L"Local\\CvblockTestRelease");
    HANDLE answered = CreateEventW(nullptr, FALSE, FALSE, L"Local\\CvblockTestAnswered");
    void reset() {
        ResetEvent(received);
        ResetEvent(release);
        ResetEvent(answered);
    }
    // After a blocked pop-up: the browser got its call back before Corvane answered, and the
    // announcement arrived.
    void checkAnnounced(const char* what) {
        std::printf("     %s:\n", what);
        check(WaitForSingleObject(answered, 0) == WAIT_TIMEOUT, "the browser went on before Corvane answered");
        check(WaitForSingleObject(received, kWaitMs) == WAIT_OBJECT_0, "Corvane's window got WM_COPYDATA");
        SetEvent(release);
        check(WaitForSingleObject(answered, kWaitMs) == WAIT_OBJECT_0, "Corvane's window answered");
    }
};

int run() {
    IObjectWithSite* blocker = nullptr;
    HRESULT hr = CoCreateInstance(kClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IObjectWithSite,
                                  reinterpret_cast<void**>(&blocker));
    check(SUCCEEDED(hr) && blocker, "CoCreateInstance of the registered class");
    if (!blocker) return g_failures;
    Browser browser;
    Host host(browser);
    Receiver receiver;

    std::printf("== a site that hands out the browser as a service\n");
    check(blocker->SetSite(&host) == S_OK, "SetSite(host) succeeds");
    check(browser.advised == 1 && browser.listener, "connected to the browser's events");
    IServiceProvider* site = nullptr;
    check(blocker->GetSite(IID_IServiceProvider, reinterpret_cast<void**>(&site)) == S_OK && site == &host,
          "GetSite gives the host back");
    if (site) site->Release();
    if (!browser.listener) return g_failures;

    writeSetting(L"CRVNPBStatus", 0);
    writeSetting(L"EPWC", 10);
    {
        NewWindow3 event(NWMF_FIRST, L"http://popup.example/off");
        event.fire(browser.listener);
        check(event.cancel == VARIANT_FALSE && readSetting(L"EPWC") == 10, "blocking off: opened, not counted");
    }

    writeSetting(L"CRVNPBStatus", 1);
    receiver.reset();
    {
        NewWindow3 event(NWMF_FIRST, L"http://popup.example/unrequested");
        check(event.fire(browser.listener) == S_OK, "blocking on, unrequested: Invoke succeeds");
        check(event.cancel == VARIANT_TRUE, "blocking on, unrequested: cancelled");
        check(readSetting(L"EPWC") == 11, "blocking on, unrequested: EPWC counted 11");
        receiver.checkAnnounced("blocking on, unrequested");
    }

    const DWORD userFlags[] = {NWMF_USERINITED, NWMF_USERREQUESTED, NWMF_OVERRIDEKEY, NWMF_USERALLOWED};
    for (DWORD flags : userFlags) {
        NewWindow3 event(flags | NWMF_FIRST, L"http://popup.example/asked");
        event.fire(browser.listener);
        char what[96];
        std::snprintf(what, sizeof what, "blocking on, user's flag 0x%lx: opened, not counted",
                      static_cast<unsigned long>(flags));
        check(event.cancel == VARIANT_FALSE && readSetting(L"EPWC") == 11, what);
    }

    std::printf("== malformed events change nothing\n");
    {
        NewWindow3 event(NWMF_FIRST, L"http://popup.example/malformed");
        event.params.cArgs = 4;
        check(FAILED(event.fire(browser.listener)), "four arguments: refused");
        event.params.cArgs = 5;
        V_VT(&event.args[3]) = VT_BOOL;  // Cancel by value
        check(FAILED(event.fire(browser.listener)), "Cancel not by reference: refused");
        V_VT(&event.args[3]) = VT_BYREF | VT_BOOL;
        V_BOOLREF(&event.args[3]) = nullptr;
        check(FAILED(event.fire(browser.listener)), "Cancel a null reference: refused");
        V_BOOLREF(&event.args[3]) = &event.cancel;
        V_VT(&event.args[2]) = VT_R8;  // flags as a floating-point number
        check(FAILED(event.fire(browser.listener)), "flags of another type: refused");
        V_VT(&event.args[2]) = VT_I4;
        V_VT(&event.args[0]) = VT_EMPTY;
        check(FAILED(event.fire(browser.listener)), "no address: refused");
        V_VT(&event.args[0]) = VT_BSTR;
        event.params.rgvarg = nullptr;
        check(FAILED(event.fire(browser.listener)), "no argument array: refused");
        check(browser.listener->Invoke(DISPID_NEWWINDOW3, IID_NULL, 0, DISPATCH_METHOD, nullptr, nullptr, nullptr,
                                       nullptr) != S_OK,
              "no parameters: refused");
        check(event.cancel == VARIANT_FALSE && readSetting(L"EPWC") == 11, "malformed: not cancelled, not counted");
    }

    std::printf("== no settings key\n");
    check(RegDeleteKeyW(HKEY_LOCAL_MACHINE, kSettingsKey) == ERROR_SUCCESS, "settings key deleted");
    {
        NewWindow3 event(NWMF_FIRST, L"http://popup.example/nokey");
        event.fire(browser.listener);
        check(event.cancel == VARIANT_FALSE, "missing key: not cancelled");
        check(readSetting(L"EPWC") == -1, "missing key: nothing counted");
    }

    std::printf("== SetSite(NULL)\n");
    check(blocker->SetSite(nullptr) == S_OK, "SetSite(NULL) succeeds");
    check(browser.unadvised == 1 && browser.unadviseCookieMatched && !browser.listener, "disconnected with its cookie");
    check(browser.references == 0 && host.references == 0, "holds no reference to browser or host");
    void* none = &none;
    check(blocker->GetSite(IID_IUnknown, &none) == E_FAIL && none == nullptr, "GetSite without a site: E_FAIL");

    std::printf("== the browser as its own site; one announcement at a time\n");
    writeSetting(L"CRVNPBStatus", 1);
    writeSetting(L"EPWC", 20);
    check(blocker->SetSite(static_cast<IWebBrowser2*>(&browser)) == S_OK && browser.advised == 2 && browser.listener,
          "SetSite(browser) connects");
    // The module's thread frees its one slot just after Corvane's answer above; let it end.
    Sleep(200);
    receiver.reset();
    if (browser.listener) {
        check(fireTwo(browser.listener, L"http://popup.example/first", L"http://popup.example/second") &&
                  readSetting(L"EPWC") == 22,
              "two pop-ups: both cancelled and counted");
        receiver.checkAnnounced("the first announced, the second not while the first is on its way");
    }

    // At Low integrity (Internet Explorer's protected mode) the settings key cannot be written:
    // each pop-up goes to Corvane to count, the second once the first has been answered.
    std::printf("== settings that cannot be written, as at Low integrity\n");
    Sleep(200);
    receiver.reset();
    check(setSettingsAccess(L"D:(A;;KR;;;WD)"), "the settings key made query-only");
    if (browser.listener) {
        check(fireTwo(browser.listener, L"http://popup.example/protected", L"http://popup.example/protected-second") &&
                  readSetting(L"EPWC") == 22,
              "two pop-ups: both cancelled, neither counted by the module");
        receiver.checkAnnounced("the first handed over to be counted");
        receiver.checkAnnounced("the second handed over once the first was answered");
    }
    check(setSettingsAccess(L"D:(A;;KA;;;WD)"), "the settings key writable again");
    blocker->SetSite(nullptr);
    check(blocker->Release() == 0, "last reference released");
    check(browser.references == 0 && !browser.listener, "the browser is let go");
    return g_failures;
}

}  // namespace

int main() {
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 100;
    int failures = run();
    CoUninitialize();
    std::printf("browser stand-in: %d failure(s)\n", failures);
    return failures;
}
