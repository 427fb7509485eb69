// cvblock.dll: the smallest pop-up blocker module that honours Corvane's side of the boundary:
// it registers itself as a browser helper object, and reports a blocked pop-up window by counting
// it in EPWC and sending WM_COPYDATA to Corvane's main window.
#include <windows.h>

#include <climits>
#include <string>

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace {

constexpr wchar_t kClsid[] = L"{9ED2FC98-244C-4B6F-A6D6-3FEDAD281E12}";
constexpr wchar_t kClassName[] = L"Corvane Popup Blocker";
constexpr wchar_t kBhoKey[] =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\";
constexpr wchar_t kSettingsKey[] = L"SOFTWARE\\Tessaly\\Corvane\\Version2\\Settings";

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

LONG createKey(HKEY root, const std::wstring& path, RegKey& key) {
    return RegCreateKeyExW(root, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                           nullptr, key.out(), nullptr);
}

LONG setString(HKEY key, const wchar_t* name, const std::wstring& text) {
    DWORD bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
    return RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()), bytes);
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

bool modulePath(std::wstring& path) {
    path.assign(MAX_PATH, L'\0');
    for (;;) {
        DWORD n = GetModuleFileNameW(reinterpret_cast<HMODULE>(&__ImageBase), &path[0],
                                     static_cast<DWORD>(path.size()));
        if (n == 0) return false;
        if (n < path.size()) {
            path.resize(n);
            return true;
        }
        path.resize(path.size() * 2);  // truncated: long path, try a larger buffer
    }
}

HRESULT registerClass(const std::wstring& dllPath) {
    const std::wstring clsidKey = std::wstring(L"CLSID\\") + kClsid;
    RegKey cls, server;
    LONG rc = createKey(HKEY_CLASSES_ROOT, clsidKey, cls);
    if (rc == ERROR_SUCCESS) rc = setString(cls.get(), nullptr, kClassName);
    if (rc == ERROR_SUCCESS) rc = createKey(HKEY_CLASSES_ROOT, clsidKey + L"\\InprocServer32", server);
    if (rc == ERROR_SUCCESS) rc = setString(server.get(), nullptr, dllPath);
    if (rc == ERROR_SUCCESS) rc = setString(server.get(), L"ThreadingModel", L"Apartment");
    return fromWin32(rc);
}

HRESULT registerHelperObject() {
    RegKey bho;
    LONG rc = createKey(HKEY_LOCAL_MACHINE, std::wstring(kBhoKey) + kClsid, bho);
    if (rc == ERROR_SUCCESS) rc = setString(bho.get(), nullptr, kClassName);
    // Keep Windows Explorer from loading a module that only matters to the browser.
    if (rc == ERROR_SUCCESS) rc = setDword(bho.get(), L"NoExplorer", 1);
    return fromWin32(rc);
}

LONG deleteTree(HKEY root, const std::wstring& path) {
    LONG rc = RegDeleteTreeW(root, path.c_str());
    return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;  // already gone is what was asked
}

std::string toUtf8(const std::wstring& text) {
    if (text.empty()) return {};
    int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                nullptr, nullptr);
    std::string out(n > 0 ? n : 0, '\0');
    if (n > 0)
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n,
                            nullptr, nullptr);
    return out;
}

std::wstring fromAnsi(const char* text) {
    if (!text || !*text) return {};
    int n = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (n <= 1) return {};
    std::wstring out(n, L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &out[0], n);
    out.resize(n - 1);
    return out;
}

std::wstring trimmed(const std::wstring& s) {
    const wchar_t* blanks = L" \t\r\n";
    size_t first = s.find_first_not_of(blanks);
    if (first == std::wstring::npos) return {};
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

// rundll32 hands over the rest of its command line as it stands: blanks, and the quotes a caller
// puts around an argument, are not part of the address.
std::wstring addressFrom(const wchar_t* cmdLine) {
    std::wstring s = trimmed(cmdLine ? cmdLine : L"");
    if (s.size() >= 2 && s.front() == L'"' && s.back() == L'"') s = trimmed(s.substr(1, s.size() - 2));
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

void notifyCorvane(HWND sender, const std::wstring& address) {
    HWND main = FindWindowW(L"TCorvaneMain", L"Preferences");
    if (!main) return;
    std::string text = toUtf8(address);
    COPYDATASTRUCT data{};
    data.dwData = 0;
    data.cbData = static_cast<DWORD>(text.size() + 1);
    data.lpData = &text[0];
    // SendMessage, not PostMessage: the sender waits until Corvane has played its announcement.
    SendMessageW(main, WM_COPYDATA, reinterpret_cast<WPARAM>(sender),
                 reinterpret_cast<LPARAM>(&data));
}

void reportBlockedPopup(HWND sender, const std::wstring& address) {
    if (countBlockedPopup()) notifyCorvane(sender, address);
}

}  // namespace

extern "C" {

__declspec(dllexport) HRESULT STDAPICALLTYPE DllRegisterServer() {
    std::wstring path;
    if (!modulePath(path)) return HRESULT_FROM_WIN32(GetLastError());
    HRESULT hr = registerClass(path);
    return SUCCEEDED(hr) ? registerHelperObject() : hr;
}

__declspec(dllexport) HRESULT STDAPICALLTYPE DllUnregisterServer() {
    LONG rc = deleteTree(HKEY_LOCAL_MACHINE, std::wstring(kBhoKey) + kClsid);
    LONG rc2 = deleteTree(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kClsid);
    return fromWin32(rc != ERROR_SUCCESS ? rc : rc2);
}

// rundll32 cvblock.dll,ReportBlockedPopup <address>
__declspec(dllexport) void CALLBACK ReportBlockedPopupW(HWND window, HINSTANCE, LPWSTR cmdLine, int) {
    reportBlockedPopup(window, addressFrom(cmdLine));
}

__declspec(dllexport) void CALLBACK ReportBlockedPopupA(HWND window, HINSTANCE, LPSTR cmdLine, int) {
    reportBlockedPopup(window, addressFrom(fromAnsi(cmdLine).c_str()));
}

}  // extern "C"
