// cvblock.dll: Corvane's pop-up blocker module. A COM in-process server whose one class is a
// browser helper object (HelperObject.cpp); its registration; and the test stand-in
// `rundll32 cvblock.dll,ReportBlockedPopup <address>`, which reports a blocked pop-up window as
// the helper object does. It uses nothing of the C++ runtime, so that the module is no larger than
// what it does and brings nothing into the browser's process.
#include "Announce.h"
#include "HelperObject.h"
#include "Module.h"

namespace cvblock {
namespace {

#define CVBLOCK_CLSID L"{9ED2FC98-244C-4B6F-A6D6-3FEDAD281E12}"
constexpr CLSID kClsid = {0x9ed2fc98, 0x244c, 0x4b6f, {0xa6, 0xd6, 0x3f, 0xed, 0xad, 0x28, 0x1e, 0x12}};
constexpr wchar_t kClassName[] = L"Corvane Popup Blocker";
constexpr wchar_t kClassKey[] = L"CLSID\\" CVBLOCK_CLSID;
constexpr wchar_t kServerKey[] = L"CLSID\\" CVBLOCK_CLSID L"\\InprocServer32";
constexpr wchar_t kBhoKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\" CVBLOCK_CLSID;

LONG g_locks = 0;

class ClassFactory final : public IClassFactory {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, IID_IClassFactory)) {
            *out = static_cast<IClassFactory*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    // The one factory lives as long as the module; a reference to it keeps the module loaded.
    STDMETHODIMP_(ULONG) AddRef() override {
        lockModule();
        return 2;
    }
    STDMETHODIMP_(ULONG) Release() override {
        unlockModule();
        return 1;
    }
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        return HelperObject::create(riid, out);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock)
            lockModule();
        else
            unlockModule();
        return S_OK;
    }
};

ClassFactory g_factory;

class RegKey {
public:
    RegKey() = default;
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;
    ~RegKey() {
        if (key_) RegCloseKey(key_);
    }
    HKEY* out() { return &key_; }
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

// Keys of the module's own registry view: a 32-bit module on 64-bit Windows registers where the
// 32-bit browser looks.
LONG createKey(HKEY root, const wchar_t* path, RegKey& key) {
    return RegCreateKeyExW(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr, key.out(), nullptr);
}

LONG setString(HKEY key, const wchar_t* name, const wchar_t* text) {
    DWORD bytes = static_cast<DWORD>((lstrlenW(text) + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
}

LONG setDword(HKEY key, const wchar_t* name, DWORD value) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
}

HRESULT fromWin32(LONG rc) { return rc == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(rc); }

// The module's full path; null when it cannot be had (the last error says why).
HeapArray<wchar_t> modulePath() {
    for (DWORD size = MAX_PATH; size < 2 * 32768; size *= 2) {
        HeapArray<wchar_t> path = allocate<wchar_t>(size);
        if (!path) {
            SetLastError(ERROR_OUTOFMEMORY);
            return nullptr;
        }
        DWORD n = GetModuleFileNameW(thisModule(), path.get(), size);
        if (n == 0) return nullptr;
        if (n < size) return path;
        // truncated: a long path, try a larger buffer
    }
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return nullptr;
}

HRESULT registerClass(const wchar_t* dllPath) {
    RegKey cls, server;
    LONG rc = createKey(HKEY_CLASSES_ROOT, kClassKey, cls);
    if (rc == ERROR_SUCCESS) rc = setString(cls.get(), nullptr, kClassName);
    if (rc == ERROR_SUCCESS) rc = createKey(HKEY_CLASSES_ROOT, kServerKey, server);
    if (rc == ERROR_SUCCESS) rc = setString(server.get(), nullptr, dllPath);
    if (rc == ERROR_SUCCESS) rc = setString(server.get(), L"ThreadingModel", L"Apartment");
    return fromWin32(rc);
}

HRESULT registerHelperObject() {
    RegKey bho;
    LONG rc = createKey(HKEY_LOCAL_MACHINE, kBhoKey, bho);
    if (rc == ERROR_SUCCESS) rc = setString(bho.get(), nullptr, kClassName);
    // Keep Windows Explorer from loading a module that only matters to the browser.
    if (rc == ERROR_SUCCESS) rc = setDword(bho.get(), L"NoExplorer", 1);
    return fromWin32(rc);
}

LONG deleteTree(HKEY root, const wchar_t* path) {
    LONG rc = RegDeleteTreeW(root, path);
    return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;  // already gone is what was asked
}

bool isBlank(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n'; }

Text trimmed(Text s) {
    while (s.length > 0 && isBlank(s.chars[0])) {
        ++s.chars;
        --s.length;
    }
    while (s.length > 0 && isBlank(s.chars[s.length - 1])) --s.length;
    return s;
}

// rundll32 hands over the rest of its command line as it stands: blanks, and the quotes a caller
// puts around an argument, are not part of the address.
Text addressFrom(const wchar_t* cmdLine) {
    Text s = trimmed(cmdLine ? Text{cmdLine, lstrlenW(cmdLine)} : Text{L"", 0});
    if (s.length >= 2 && s.chars[0] == L'"' && s.chars[s.length - 1] == L'"') {
        s = trimmed(Text{s.chars + 1, s.length - 2});
    }
    return s;
}

// What the helper object does for a pop-up window it cancels; rundll32's own thread may wait.
void reportBlockedPopup(HWND sender, Text address) {
    if (!blockingEnabled()) return;
    countBlockedPopup();
    announceBlockedPopup(sender, address);
}

}  // namespace

void lockModule() { InterlockedIncrement(&g_locks); }
void unlockModule() { InterlockedDecrement(&g_locks); }
bool moduleInUse() { return InterlockedCompareExchange(&g_locks, 0, 0) != 0; }

}  // namespace cvblock

using namespace cvblock;

extern "C" {

__declspec(dllexport) HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (!IsEqualCLSID(clsid, kClsid)) return CLASS_E_CLASSNOTAVAILABLE;
    return g_factory.QueryInterface(riid, out);
}

__declspec(dllexport) HRESULT STDAPICALLTYPE DllCanUnloadNow() { return moduleInUse() ? S_FALSE : S_OK; }

__declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
    HeapArray<wchar_t> path = modulePath();
    if (!path) return HRESULT_FROM_WIN32(GetLastError());
    HRESULT hr = registerClass(path.get());
    return SUCCEEDED(hr) ? registerHelperObject() : hr;
}

__declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer() {
    LONG rc = deleteTree(HKEY_LOCAL_MACHINE, kBhoKey);
    LONG rc2 = deleteTree(HKEY_CLASSES_ROOT, kClassKey);
    return fromWin32(rc != ERROR_SUCCESS ? rc : rc2);
}

// rundll32 cvblock.dll,ReportBlockedPopup <address>
__declspec(dllexport) void CALLBACK ReportBlockedPopupW(HWND window, HINSTANCE, LPWSTR cmdLine, int) {
    reportBlockedPopup(window, addressFrom(cmdLine));
}

__declspec(dllexport) void CALLBACK ReportBlockedPopupA(HWND window, HINSTANCE, LPSTR cmdLine, int) {
    int n = cmdLine && *cmdLine ? MultiByteToWideChar(CP_ACP, 0, cmdLine, -1, nullptr, 0) : 0;
    HeapArray<wchar_t> wide = allocate<wchar_t>(n > 0 ? static_cast<size_t>(n) : 1);
    if (!wide) return;
    wide[0] = L'\0';
    if (n > 0) MultiByteToWideChar(CP_ACP, 0, cmdLine, -1, wide.get(), n);
    reportBlockedPopup(window, addressFrom(wide.get()));
}

}  // extern "C"
