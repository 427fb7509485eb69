// The end-to-end driver's tools.
#include "Driver.h"

#include <shlobj.h>
#include <wininet.h>

#include "tests/support/CommitUrlCacheEntry.h"

#include <algorithm>
#include <cwchar>

namespace e2e {

std::wstring BinFolder() {
  wchar_t path[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, n);
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

Process::Process(const std::wstring& commandLine) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  std::wstring line = commandLine;
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, BinFolder().c_str(), &si, &info_)) {
    info_ = {};
  }
}

Process::~Process() {
  if (!info_.hProcess) return;
  if (Running()) {
    TerminateProcess(info_.hProcess, 99);
    WaitForSingleObject(info_.hProcess, 5000);
  }
  CloseHandle(info_.hThread);
  CloseHandle(info_.hProcess);
}

Process::Process(Process&& other) noexcept : info_(other.info_) { other.info_ = {}; }

Process& Process::operator=(Process&& other) noexcept {
  if (this != &other) {
    this->~Process();
    info_ = other.info_;
    other.info_ = {};
  }
  return *this;
}

std::optional<DWORD> Process::WaitForExit(DWORD timeoutMs) {
  if (!info_.hProcess || WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(info_.hProcess, &code);
  return code;
}

bool Process::Running() { return info_.hProcess && WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT; }

Process StartCorvane() {
  MarkTrayHintShown();
  return Process(L"\"" + BinFolder() + L"corvane.exe\"");
}

void MarkTrayHintShown() {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kUserKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
      ERROR_SUCCESS) {
    return;
  }
  DWORD one = 1;
  RegSetValueExW(key, L"TrayIconHintShown", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
  RegCloseKey(key);
}

void ForgetTrayHint() { RegDeleteKeyValueW(HKEY_CURRENT_USER, kUserKey, L"TrayIconHintShown"); }

bool StartUnixProgram(std::wstring commandLine) {
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
    return false;
  if (pi.hThread) CloseHandle(pi.hThread);
  if (pi.hProcess) CloseHandle(pi.hProcess);
  return true;
}

void Pause(DWORD ms) {
  DWORD end = GetTickCount() + ms;
  while (static_cast<LONG>(end - GetTickCount()) > 0) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
    Sleep(std::min<DWORD>(20, ms));
  }
}

bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!condition()) {
    if (GetTickCount() - start > timeoutMs) return false;
    Pause(50);
  }
  return true;
}

bool Settled(HWND window) { return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 20000, nullptr) != 0; }

void WaitPastSplash(DWORD pid, DWORD timeoutMs) {
  // The splash is made after the running marker is written and lives 1.2 s.
  if (HWND splash = WaitForWindow(L"TSplashScreen", L"", timeoutMs, pid)) {
    WaitUntil([splash] { return !IsWindow(splash); }, timeoutMs);
  }
}

namespace {

struct Search {
  std::wstring className, title;
  DWORD pid;
  HWND found = nullptr;
};

BOOL CALLBACK Match(HWND hwnd, LPARAM lParam) {
  auto* s = reinterpret_cast<Search*>(lParam);
  wchar_t cls[256] = {0};
  GetClassNameW(hwnd, cls, 256);
  if (!s->className.empty() && s->className != cls) return TRUE;
  if (!s->title.empty() && WindowText(hwnd) != s->title) return TRUE;
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  if (s->pid && pid != s->pid) return TRUE;
  s->found = hwnd;
  return FALSE;
}

}  // namespace

std::wstring WindowText(HWND hwnd) {
  wchar_t text[1024] = {0};
  // WM_GETTEXT reaches controls of other processes, unlike GetWindowText.
  SendMessageTimeoutW(hwnd, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, nullptr);
  return text;
}

HWND WaitForWindow(const std::wstring& className, const std::wstring& title, DWORD timeoutMs, DWORD pid) {
  DWORD start = GetTickCount();
  for (;;) {
    Search s{className, title, pid};
    EnumWindows(Match, reinterpret_cast<LPARAM>(&s));
    if (s.found) return s.found;
    if (GetTickCount() - start > timeoutMs) return nullptr;
    Pause(100);
  }
}

bool WaitUntilHidden(HWND hwnd, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (IsWindow(hwnd) && IsWindowVisible(hwnd)) {
    if (GetTickCount() - start > timeoutMs) return false;
    Pause(100);
  }
  return true;
}

std::wstring MessageBoxText(HWND box) {
  // The text is the static control with identifier 0xFFFF.
  HWND text = GetDlgItem(box, 0xFFFF);
  return text ? WindowText(text) : std::wstring();
}

HWND WaitForMessageBox(const std::wstring& text, DWORD timeoutMs, DWORD pid, DWORD pollMs) {
  DWORD start = GetTickCount();
  for (;;) {
    HWND box = nullptr;
    while ((box = FindWindowExW(nullptr, box, L"#32770", nullptr)) != nullptr) {
      DWORD owner = 0;
      GetWindowThreadProcessId(box, &owner);
      if (pid && owner != pid) continue;
      if (IsWindowVisible(box) && MessageBoxText(box).find(text) != std::wstring::npos) return box;
    }
    if (GetTickCount() - start > timeoutMs) return nullptr;
    Pause(pollMs);
  }
}

bool PressMessageBoxButton(HWND box, int buttonId) {
  HWND button = GetDlgItem(box, buttonId);
  return button && PostMessageW(box, WM_COMMAND, MAKEWPARAM(buttonId, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

bool AnswerMessageBox(HWND box, int buttonId) {
  if (!PressMessageBoxButton(box, buttonId)) return false;
  DWORD start = GetTickCount();
  while (IsWindow(box)) {
    if (GetTickCount() - start > 5000) return false;
    Pause(50);
  }
  return true;
}

HWND FindChild(HWND parent, const std::wstring& className, const std::wstring& text) {
  HWND child = nullptr;
  while ((child = FindWindowExW(parent, child, className.empty() ? nullptr : className.c_str(), nullptr)) != nullptr) {
    if (WindowText(child) == text) return child;
  }
  return nullptr;
}

void DeleteSettingsKey() {
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, kSettingsKey);
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, kSettingsKey);
}

std::optional<DWORD> ReadSetting(const std::wstring& name) {
  DWORD value = 0, size = sizeof value, type = 0;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, kSettingsKey, name.c_str(), RRF_RT_REG_DWORD, &type, &value, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

void WriteSetting(const std::wstring& name, DWORD value) {
  HKEY key;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
      ERROR_SUCCESS) {
    RegSetValueExW(key, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
  }
}

std::vector<std::wstring> SettingNames() {
  std::vector<std::wstring> names;
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSettingsKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return names;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumValueW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    names.emplace_back(name, length);
  }
  RegCloseKey(key);
  return names;
}

std::optional<std::string> ReadWholeFile(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return std::nullopt;
  std::string bytes;
  char chunk[4096];
  DWORD read = 0;
  while (ReadFile(file, chunk, sizeof chunk, &read, nullptr) && read > 0) bytes.append(chunk, read);
  CloseHandle(file);
  return bytes;
}

bool WriteFileText(const std::wstring& path, const char* text) {
  SHCreateDirectoryExW(nullptr, path.substr(0, path.find_last_of(L'\\')).c_str(), nullptr);
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, text, static_cast<DWORD>(strlen(text)), &written, nullptr);
  CloseHandle(file);
  return ok;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::wstring KnownFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, csidl, nullptr, 0, path);
  return path;
}

namespace {

// The pixels of a part of the screen as a 24-bit bottom-up DIB, rows padded
// to four bytes, as a BMP file holds them.
struct ScreenPixels {
  int width = 0, height = 0;
  DWORD stride = 0;
  std::vector<BYTE> bits;
};

ScreenPixels CaptureScreen(const RECT& r) {
  ScreenPixels pixels;
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return pixels;
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof bi.bmiHeader;
  bi.bmiHeader.biWidth = w;
  bi.bmiHeader.biHeight = h;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 24;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
    SelectObject(memory, old);
    pixels = {w, h, (static_cast<DWORD>(w) * 3 + 3) & ~3u, {}};
    const BYTE* first = static_cast<const BYTE*>(bits);
    pixels.bits.assign(first, first + pixels.stride * static_cast<DWORD>(h));
    DeleteObject(bitmap);
  }
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return pixels;
}

}  // namespace

bool Screenshot(HWND hwnd, const std::string& name) {
  char folder[MAX_PATH] = {0};
  if (!GetEnvironmentVariableA("CORVANE_SCREENSHOTS", folder, MAX_PATH)) return false;
  RECT r;
  if (hwnd) {
    GetWindowRect(hwnd, &r);
  } else {
    r = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  ScreenPixels pixels = CaptureScreen(r);
  if (pixels.bits.empty()) return false;
  BITMAPINFOHEADER info{};
  info.biSize = sizeof info;
  info.biWidth = pixels.width;
  info.biHeight = pixels.height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biSizeImage = static_cast<DWORD>(pixels.bits.size());
  BITMAPFILEHEADER fh{};
  fh.bfType = 0x4D42;
  fh.bfOffBits = sizeof fh + sizeof info;
  fh.bfSize = fh.bfOffBits + info.biSizeImage;
  std::string path = std::string(folder) + "\\" + name + ".bmp";
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written;
  bool ok = WriteFile(file, &fh, sizeof fh, &written, nullptr) &&
            WriteFile(file, &info, sizeof info, &written, nullptr) &&
            WriteFile(file, pixels.bits.data(), info.biSizeImage, &written, nullptr);
  CloseHandle(file);
  return ok;
}

int CountScreenPixels(HWND hwnd, COLORREF color) {
  RECT r;
  if (!GetWindowRect(hwnd, &r)) return 0;
  ScreenPixels pixels = CaptureScreen(r);
  int count = 0;
  for (int y = 0; y < pixels.height; ++y) {
    const BYTE* row = pixels.bits.data() + pixels.stride * static_cast<DWORD>(y);
    for (int x = 0; x < pixels.width; ++x) {
      const BYTE* bgr = row + 3 * x;
      if (RGB(bgr[2], bgr[1], bgr[0]) == color) ++count;
    }
  }
  return count;
}

}  // namespace e2e

namespace e2e {

void PostClick(HWND control) { PostMessageW(control, BM_CLICK, 0, 0); }

bool CommitCookie(const std::string& sourceName) {
  return testsupport::CommitUrlCacheEntry(sourceName, COOKIE_CACHE_ENTRY);
}

std::vector<std::string> CookieNames() {
  std::vector<std::string> names;
  std::vector<char> buffer(8192);
  auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
  DWORD size = static_cast<DWORD>(buffer.size());
  // Wine matches the container prefix case-sensitively: "Cookie:", not "cookie:".
  HANDLE find = FindFirstUrlCacheEntryA("Cookie:", entry, &size);
  if (!find) return names;
  do {
    if ((entry->CacheEntryType & COOKIE_CACHE_ENTRY) && entry->lpszSourceUrlName) {
      names.emplace_back(entry->lpszSourceUrlName);
    }
    size = static_cast<DWORD>(buffer.size());
  } while (FindNextUrlCacheEntryA(find, entry, &size));
  FindCloseUrlCache(find);
  return names;
}

void DeleteCookie(const std::string& sourceName) { DeleteUrlCacheEntryA(sourceName.c_str()); }

std::vector<std::wstring> ListLines(HWND list) {
  std::vector<std::wstring> lines;
  LRESULT count = SendMessageW(list, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    wchar_t text[512] = {0};
    if (SendMessageW(list, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0) < 511) {
      SendMessageW(list, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    }
    lines.emplace_back(text);
  }
  return lines;
}

void ClickListLine(HWND list, int index, bool extend) {
  LRESULT top = SendMessageW(list, LB_GETTOPINDEX, 0, 0);
  auto height = static_cast<int>(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
  LPARAM at = MAKELPARAM(10, (index - static_cast<int>(top)) * height + height / 2);
  WPARAM keys = MK_LBUTTON | (extend ? MK_CONTROL : 0);
  PostMessageW(list, WM_LBUTTONDOWN, keys, at);
  PostMessageW(list, WM_LBUTTONUP, keys & ~static_cast<WPARAM>(MK_LBUTTON), at);
  Pause(200);
}

}  // namespace e2e
