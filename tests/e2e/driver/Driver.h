// Driving the real corvane.exe from another process, as a person and as
// other programs would: start it, find its windows, answer its message
// boxes, send it messages, read the registry, keep screenshots.
#pragma once

#include <windows.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

constexpr const wchar_t* kSettingsKey = L"SOFTWARE\\Tessaly\\Corvane\\Version2\\Settings";

// The folder of the driver, where corvane.exe and its files are built.
std::wstring BinFolder();

// A started program; ended (killed) on destruction if it is still running.
class Process {
 public:
  Process() = default;
  explicit Process(const std::wstring& commandLine);
  ~Process();
  Process(Process&& other) noexcept;
  Process& operator=(Process&& other) noexcept;
  bool started() const { return info_.hProcess != nullptr; }
  DWORD id() const { return info_.dwProcessId; }
  // The exit code, or nullopt if it has not ended within the time.
  std::optional<DWORD> WaitForExit(DWORD timeoutMs);
  bool Running();

 private:
  PROCESS_INFORMATION info_{};
};

// Starts corvane.exe beside the driver, as a user who has seen the first
// start's hint about the tray icon (see ForgetTrayHint).
Process StartCorvane();
// HKEY_CURRENT_USER's mark of that hint, set or removed.
constexpr const wchar_t* kUserKey = L"Software\\Tessaly\\Corvane";
void MarkTrayHintShown();
void ForgetTrayHint();

// Waits, bounded, for a top-level window of a class (empty: any) and title
// (empty: any) that belongs to process `pid` (0: any process).
HWND WaitForWindow(const std::wstring& className, const std::wstring& title, DWORD timeoutMs, DWORD pid = 0);
// Waits until a window is gone or hidden.
bool WaitUntilHidden(HWND hwnd, DWORD timeoutMs);
// A message box ("#32770") of a process whose text contains `text`, looked
// for every `pollMs` milliseconds.
HWND WaitForMessageBox(const std::wstring& text, DWORD timeoutMs, DWORD pid = 0, DWORD pollMs = 100);
std::wstring MessageBoxText(HWND box);
// Presses a message box's button (IDOK, IDYES, IDNO) and waits for it to close.
bool AnswerMessageBox(HWND box, int buttonId);
// Presses it without waiting.
bool PressMessageBoxButton(HWND box, int buttonId);
// A child control by its window text (a check box's caption, say).
HWND FindChild(HWND parent, const std::wstring& className, const std::wstring& text);
std::wstring WindowText(HWND hwnd);

// The settings key under HKEY_LOCAL_MACHINE.
void DeleteSettingsKey();
std::optional<DWORD> ReadSetting(const std::wstring& name);
void WriteSetting(const std::wstring& name, DWORD value);
std::vector<std::wstring> SettingNames();

// Saves a picture of a window (or of the whole screen for null) as
// <screenshots folder>\<name>.bmp; the test script turns them into PNG files.
bool Screenshot(HWND hwnd, const std::string& name);
// How many pixels of the window's place on the screen are exactly `color`.
int CountScreenPixels(HWND hwnd, COLORREF color);

// The bytes of a file, or nullopt when it cannot be opened.
std::optional<std::string> ReadWholeFile(const std::wstring& path);
// Makes the file, and every folder above it, holding `text`.
bool WriteFileText(const std::wstring& path, const char* text);
bool Exists(const std::wstring& path);
// A folder of the system's by its CSIDL (CSIDL_APPDATA, ...).
std::wstring KnownFolder(int csidl);

// Lets the other process run for a while (and pumps our own messages).
void Pause(DWORD ms);
// Polls `condition`, pumping our messages, until it holds or the time is up;
// answers whether it held.
bool WaitUntil(const std::function<bool()>& condition, DWORD timeoutMs);
// Returns once the window's thread has handled what was sent to it before
// (a message sent to it is handled only when that thread is back in its loop).
bool Settled(HWND window);
// Waits, bounded, until the splash of process `pid` has come and gone.
void WaitPastSplash(DWORD pid, DWORD timeoutMs);

// Starts a Unix program (its absolute path, then its arguments) from Wine,
// which gives no handle to wait on: the caller waits for its effect.
bool StartUnixProgram(std::wstring commandLine);

}  // namespace e2e

namespace e2e {

// Clicks a button, check box or radio box of another process without waiting
// for what the click opens (a message box, a modal window).
void PostClick(HWND control);

// Records a cookie entry ("Cookie:user@host/path") in the URL cache of the
// driver's user, as a browser would: a cache file, then CommitUrlCacheEntryA
// with the cookie type.
bool CommitCookie(const std::string& sourceName);
// The source names of every cookie entry in that cache.
std::vector<std::string> CookieNames();
void DeleteCookie(const std::string& sourceName);

// The lines of a list box of another process.
std::vector<std::wstring> ListLines(HWND list);
// Clicks line `index` of a list box of another process with the mouse, with
// Ctrl held when `extend`; the list box tells its window as for a person.
void ClickListLine(HWND list, int index, bool extend);

}  // namespace e2e
