// The history cleaner window of the real program: opened from the tray on
// each tab, a switch ticked, a cleaning started by hand and its end reported;
// and the cookie manager it opens, on real cookie entries of the URL cache.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Driver.h"
#include "Tray.h"

namespace e2e {
namespace {

constexpr DWORD kWait = 20000;

// A started program past its start-up, with its main window.
struct Running {
  Process corvane = StartCorvane();
  HWND main = nullptr;

  Running() {
    // A fresh prefix has no settings key yet: the start says so and restores the defaults.
    if (HWND box = WaitForMessageBox(L"An error has occurred while trying to read", 4000, corvane.id())) {
      AnswerMessageBox(box, IDOK);
    }
    main = WaitForWindow(L"TCorvaneMain", L"Preferences", kWait, corvane.id());
    DWORD start = GetTickCount();
    while (ReadSetting(L"CorvaneRunning") != 1u && GetTickCount() - start < kWait) Pause(100);
    Pause(1500);  // past the splash
  }
  ~Running() {
    if (main) SendMessageTimeoutW(main, WM_COMMAND, 9001, 0, SMTO_ABORTIFHUNG, kWait, nullptr);
    corvane.WaitForExit(kWait);
  }
};

HWND WaitUntilShown(const std::wstring& className, const std::wstring& title, DWORD pid) {
  HWND window = WaitForWindow(className, title, kWait, pid);
  DWORD start = GetTickCount();
  while (window && !IsWindowVisible(window) && GetTickCount() - start < kWait) Pause(100);
  return window && IsWindowVisible(window) ? window : nullptr;
}

std::wstring TempFolder() {
  wchar_t path[MAX_PATH];
  DWORD n = GetTempPathW(MAX_PATH, path);
  return std::wstring(path, n);
}

bool WriteFileText(const std::wstring& path, const char* text) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, text, static_cast<DWORD>(strlen(text)), &written, nullptr);
  CloseHandle(file);
  return ok;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

TEST(HistoryCleanerE2E, FromTheTrayOnTheWindowsTabTemporaryFilesAndCleanNowEmptyTheTempFolder) {
  Running app;
  ASSERT_NE(app.main, nullptr);
  DWORD pid = app.corvane.id();

  std::wstring temp = TempFolder();
  std::wstring folder = temp + L"corvane-e2e-folder";
  CreateDirectoryW(folder.c_str(), nullptr);
  ASSERT_TRUE(WriteFileText(temp + L"corvane-e2e-1.tmp", "one"));
  ASSERT_TRUE(WriteFileText(folder + L"\\inside.txt", "two"));

  ASSERT_TRUE(ChooseTrayMenuEntry(app.main, L"Windows History Cleaner", kWait)) << "the tray menu's entry";
  HWND hc = WaitUntilShown(L"THistoryCleanerPref", L"History Cleaner", pid);
  ASSERT_NE(hc, nullptr);
  RECT client;
  GetClientRect(hc, &client);
  EXPECT_EQ(client.right, 624);
  EXPECT_EQ(client.bottom, 328);

  HWND tempBox = FindChild(hc, L"Button", L"Temporary Files");
  ASSERT_NE(tempBox, nullptr);
  EXPECT_TRUE(IsWindowVisible(tempBox)) << "the Windows tab shows";
  EXPECT_FALSE(IsWindowVisible(FindChild(hc, L"Button", L"Typed URLs")));
  EXPECT_FALSE(IsWindowVisible(FindChild(hc, L"Button", L"Power DVD")));
  HWND cleanNow = FindChild(hc, L"Button", L"Clean Now");
  ASSERT_NE(cleanNow, nullptr);
  EXPECT_EQ(SendMessageW(tempBox, BM_GETCHECK, 0, 0), BST_UNCHECKED);

  SendMessageTimeoutW(tempBox, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kWait, nullptr);
  DWORD start = GetTickCount();
  while (ReadSetting(L"WindowsTempFiles") != 1u && GetTickCount() - start < kWait) Pause(100);
  EXPECT_EQ(ReadSetting(L"WindowsTempFiles"), 1u) << "stored at the click";
  EXPECT_EQ(SendMessageW(tempBox, BM_GETCHECK, 0, 0), BST_CHECKED);
  Pause(300);
  Screenshot(hc, "history-windows-tab");

  PostClick(cleanNow);
  HWND ask = WaitForMessageBox(L"Start cleaning now?", kWait, pid);
  ASSERT_NE(ask, nullptr);
  EXPECT_EQ(MessageBoxText(ask), L"Start cleaning now?");
  ASSERT_TRUE(AnswerMessageBox(ask, IDYES));

  HWND done = WaitForMessageBox(L"All selected history tracks cleaned successfully", kWait, pid);
  ASSERT_NE(done, nullptr) << "the end of the run, reported while the window shows";
  Screenshot(done, "history-cleaned");
  ASSERT_TRUE(AnswerMessageBox(done, IDOK));
  EXPECT_TRUE(IsWindowEnabled(cleanNow)) << "enabled again when the worker ended";
  EXPECT_FALSE(Exists(temp + L"corvane-e2e-1.tmp"));
  EXPECT_FALSE(Exists(folder + L"\\inside.txt"));

  // The other two entries open the other two tabs.
  ASSERT_TRUE(ChooseTrayMenuEntry(app.main, L"Internet Explorer History Cleaner", kWait));
  start = GetTickCount();
  HWND typed = FindChild(hc, L"Button", L"Typed URLs");
  while (!IsWindowVisible(typed) && GetTickCount() - start < kWait) Pause(100);
  EXPECT_TRUE(IsWindowVisible(typed));
  EXPECT_TRUE(IsWindowVisible(FindChild(hc, L"Button", L"Cookies Manager")));
  EXPECT_FALSE(IsWindowVisible(tempBox));
  Pause(300);
  Screenshot(hc, "history-ie-tab");

  ASSERT_TRUE(ChooseTrayMenuEntry(app.main, L"Applications History Cleaner", kWait));
  HWND dvd = FindChild(hc, L"Button", L"Power DVD");
  start = GetTickCount();
  while (!IsWindowVisible(dvd) && GetTickCount() - start < kWait) Pause(100);
  EXPECT_TRUE(IsWindowVisible(dvd));
  EXPECT_TRUE(IsWindowVisible(FindChild(hc, L"Button", L"WinRar (Ver. 2, 3) ")));
  EXPECT_TRUE(IsWindowVisible(cleanNow));
  Pause(300);
  Screenshot(hc, "history-applications-tab");
}

TEST(HistoryCleanerE2E, TheCookieManagerListsCacheCookiesAndDeleteSparesTheSavedSite) {
  std::wstring keepFile = BinFolder() + L"Settings\\SafeCookies.txt";
  DeleteFileW(keepFile.c_str());
  for (const std::string& name : CookieNames()) DeleteCookie(name);
  ASSERT_TRUE(CommitCookie("Cookie:e2e@keep.example/"));
  ASSERT_TRUE(CommitCookie("Cookie:e2e@drop.example/"));
  ASSERT_TRUE(CommitCookie("Cookie:e2e@drop.example/path/"));
  // Wine's sorted list box would put this one after drop.example (its
  // comparison passes over hyphens); the window shows the program's order.
  ASSERT_TRUE(CommitCookie("Cookie:e2e@drop-in.example/"));
  ASSERT_EQ(CookieNames().size(), 4u);

  Running app;
  ASSERT_NE(app.main, nullptr);
  DWORD pid = app.corvane.id();
  ASSERT_TRUE(ChooseTrayMenuEntry(app.main, L"Internet Explorer History Cleaner", kWait));
  HWND hc = WaitUntilShown(L"THistoryCleanerPref", L"History Cleaner", pid);
  ASSERT_NE(hc, nullptr);
  PostClick(FindChild(hc, L"Button", L"Cookies Manager"));
  HWND cm = WaitUntilShown(L"TCookieManager", L"Cookies Manager", pid);
  ASSERT_NE(cm, nullptr);
  EXPECT_FALSE(IsWindowEnabled(hc)) << "shown modally";
  RECT client;
  GetClientRect(cm, &client);
  EXPECT_EQ(client.right, 508);
  EXPECT_EQ(client.bottom, 301);

  HWND src = FindWindowExW(cm, nullptr, L"ListBox", nullptr);
  HWND dst = src ? FindWindowExW(cm, src, L"ListBox", nullptr) : nullptr;
  ASSERT_NE(dst, nullptr);
  using Lines = std::vector<std::wstring>;
  EXPECT_EQ(ListLines(src), (Lines{L"drop-in.example", L"drop.example", L"drop.example", L"keep.example"}));
  EXPECT_TRUE(ListLines(dst).empty());

  HWND include = FindChild(cm, L"Button", L">");
  HWND exclude = FindChild(cm, L"Button", L"<");
  ClickListLine(src, 3, false);
  SendMessageTimeoutW(include, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kWait, nullptr);
  EXPECT_EQ(ListLines(dst), (Lines{L"keep.example"}));
  EXPECT_EQ(ListLines(src), (Lines{L"drop-in.example", L"drop.example", L"drop.example"}));

  // Selected as an assistive tool selects, with LB_SETSEL and no notification
  // to the window: the buttons move what the lists show selected.
  SendMessageW(dst, LB_SETSEL, TRUE, 0);
  SendMessageTimeoutW(exclude, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kWait, nullptr);
  EXPECT_TRUE(ListLines(dst).empty());
  EXPECT_EQ(ListLines(src), (Lines{L"drop-in.example", L"drop.example", L"drop.example", L"keep.example"}));
  SendMessageW(src, LB_SETSEL, FALSE, -1);
  SendMessageW(src, LB_SETSEL, TRUE, 3);
  SendMessageTimeoutW(include, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kWait, nullptr);
  EXPECT_EQ(ListLines(dst), (Lines{L"keep.example"}));
  EXPECT_EQ(ListLines(src), (Lines{L"drop-in.example", L"drop.example", L"drop.example"}));
  Pause(300);
  Screenshot(cm, "cookie-manager");

  SendMessageTimeoutW(FindChild(cm, L"Button", L"Save"), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kWait, nullptr);
  EXPECT_EQ(ReadWholeFile(keepFile), "keep.example\r\n") << "\"Save\" writes Settings\\SafeCookies.txt beside the program";

  SendMessageTimeoutW(FindChild(cm, L"Button", L"Delete"), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kWait, nullptr);
  EXPECT_EQ(CookieNames(), (std::vector<std::string>{"Cookie:e2e@keep.example/"}));
  EXPECT_EQ(ListLines(src), (Lines{L"drop-in.example", L"drop.example", L"drop.example"})) << "the lists are not rebuilt";
  EXPECT_TRUE(WaitForMessageBox(L"", 500, pid) == nullptr) << "no confirmation, no message";

  PostMessageW(cm, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitUntilHidden(cm, kWait));
  EXPECT_TRUE(IsWindowEnabled(hc));
  DeleteFileW(keepFile.c_str());
  for (const std::string& name : CookieNames()) DeleteCookie(name);
}

}  // namespace
}  // namespace e2e
