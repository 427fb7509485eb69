// cvblock.dll: the smallest pop-up blocker module that honours Corvane's side of the boundary:
// it registers itself as a browser helper object, and reports a blocked pop-up window by counting
// it in EPWC and sending WM_COPYDATA to Corvane's main window. It uses nothing of the C++ runtime
// (its strings live on the process heap), so that the module is no larger than what it does.
#include <windows.h>

#include <climits>
#include <memory>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

#define CVBLOCK_CLSID L"{9ED2FC98-244C-4B6F-A6D6-3FEDAD281E12}"
constexpr wchar_t kClassName[] = L"Corvane Popup Blocker";
constexpr wchar_t kClassKey[] = L"CLSID\\" CVBLOCK_CLSID;
constexpr wchar_t kServerKey[] = L"CLSID\\" CVBLOCK_CLSID L"\\InprocServer32";
constexpr wchar_t kBhoKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\" CVBLOCK_CLSID;
constexpr wchar_t kSettingsKey[] = L"SOFTWARE\\Tessaly\\Corvane\\Version2\\Settings";

struct HeapFreer {
    void operator()(void* block) const { HeapFree(GetProcessHeap(), 0, block); }
};
template <class T>
using HeapArray = std::unique_ptr<T[], HeapFreer>;

// Null when the heap has no room.
template <class T>
HeapArray<T> allocate(size_t count) {
    return HeapArray<T>(static_cast<T*>(HeapAlloc(GetProcessHeap(), 0, count * sizeof(T))));
}

// Characters that are not necessarily terminated.
struct Text {
    const wchar_t* chars;
    int length;
};

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

LONG createKey(HKEY root, const wchar_t* path, RegKey& key) {
    return RegCreateKeyExW(root, path, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE, nullptr,
                           key.out(), nullptr);
}

LONG setString(HKEY key, const wchar_t* name, const wchar_t* text) {
    DWORD bytes = static_cast<DWORD>((lstrlenW(text) + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
}

LONG setDword(HKEY key, const wchar_t* name, DWORD value) {
    return RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                          sizeof value);
}

// A missing value, or one of another type, reads as 0.
DWORD readDword(HKEY key, const wchar_t* name) {
    DWORD type = 0, value = 0, size = sizeof value;
    LONG rc = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    return (rc == ERROR_SUCCESS && type == REG_DWORD && size == sizeof value) ? value : 0;
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
        DWORD n = GetModuleFileNameW(reinterpret_cast<HMODULE>(&__ImageBase), path.get(), size);
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

// Counts the blocked pop-up window; false while blocking is switched off.
bool countBlockedPopup() {
    RegKey settings;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSettingsKey, 0,
                      KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_WOW64_64KEY,
                      settings.out()) != ERROR_SUCCESS)
        return false;
    if (readDword(settings.get(), L"CRVNPBStatus") == 0) return false;
    DWORD count = readDword(settings.get(), L"EPWC");
    // Corvane reads the count as a signed number: stop at its largest value instead of wrapping.
    if (count < static_cast<DWORD>(INT_MAX)) ++count;
    setDword(settings.get(), L"EPWC", count);
    return true;
}

void notifyCorvane(HWND sender, Text address) {
    HWND main = FindWindowW(L"TCorvaneMain", L"Preferences");
    if (!main) return;
    // The address in UTF-8, with a terminating null.
    int n = address.length > 0 ? WideCharToMultiByte(CP_UTF8, 0, address.chars, address.length, nullptr,
                                                     0, nullptr, nullptr)
                               : 0;
    if (n < 0) n = 0;
    HeapArray<char> text = allocate<char>(static_cast<size_t>(n) + 1);
    if (!text) return;
    if (n > 0) WideCharToMultiByte(CP_UTF8, 0, address.chars, address.length, text.get(), n, nullptr, nullptr);
    text[n] = '\0';
    COPYDATASTRUCT data{};
    data.dwData = 0;
    data.cbData = static_cast<DWORD>(n + 1);
    data.lpData = text.get();
    // SendMessage, not PostMessage: the sender waits until Corvane has played its announcement.
    SendMessageW(main, WM_COPYDATA, reinterpret_cast<WPARAM>(sender),
                 reinterpret_cast<LPARAM>(&data));
}

void reportBlockedPopup(HWND sender, Text address) {
    if (countBlockedPopup()) notifyCorvane(sender, address);
}

}  // namespace

extern "C" {

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
