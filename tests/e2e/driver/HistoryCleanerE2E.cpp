// The history cleaner window of the real program: opened from the tray on
// each tab, a switch ticked, a cleaning started by hand and its end reported;
// the cookie manager it opens, on real cookie entries of the URL cache; and
// "Exit" in the middle of a long purge.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "Driver.h"
#include "Tray.h"
// After Driver.h, which brings <windows.h>.
#include <shlobj.h>
#include "tests/support/WineUnixPath.h"

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
    WaitPastSplash(corvane.id(), kWait);
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
  EXPECT_EQ(ReadWholeFile(keepFile), "keep.example\r\n")
      << "\"Save\" writes Settings\\SafeCookies.txt beside the program";

  // A line moved but not saved: "Delete" saves the safe list first, so the
  // site just moved there keeps its cookie.
  ClickListLine(src, 0, false);
  SendMessageTimeoutW(include, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kWait, nullptr);
  EXPECT_EQ(ListLines(dst), (Lines{L"keep.example", L"drop-in.example"}))
      << "added at the end until filled from a file";
  SendMessageTimeoutW(FindChild(cm, L"Button", L"Delete"), BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kWait, nullptr);
  EXPECT_EQ(ReadWholeFile(keepFile), "keep.example\r\ndrop-in.example\r\n");
  std::vector<std::string> left = CookieNames();
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"Cookie:e2e@drop-in.example/", "Cookie:e2e@keep.example/"}));
  EXPECT_EQ(ListLines(src), (Lines{L"drop.example", L"drop.example"})) << "the lists are not rebuilt";
  EXPECT_TRUE(WaitForMessageBox(L"", 500, pid) == nullptr) << "no confirmation, no message";

  PostMessageW(cm, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitUntilHidden(cm, kWait));
  // The modal loop enables the other windows once it has seen the window hidden.
  EXPECT_TRUE(WaitUntil([hc] { return IsWindowEnabled(hc) != FALSE; }, kWait));
  DeleteFileW(keepFile.c_str());
  for (const std::string& name : CookieNames()) DeleteCookie(name);
}

// The Unix path of a Windows folder, with its trailing slash; empty when
// there is none.
std::string UnixFolder(const std::wstring& path) {
  std::string folder = testsupport::UnixPath(path);
  if (!folder.empty() && folder.back() != '/') folder += '/';
  return folder;
}

// Runs a shell script on the Unix side, where thousands of files are made or
// removed in a moment; the script leaves a marker file at its end and this
// waits for it.
bool RunOnUnixSide(const std::string& script, DWORD timeoutMs) {
  std::wstring scratch = L"C:\\corvane-e2e-scratch\\";
  CreateDirectoryW(scratch.c_str(), nullptr);
  std::wstring marker = scratch + L"done";
  DeleteFileW(marker.c_str());
  std::string unixScratch = UnixFolder(scratch);
  if (unixScratch.empty() ||
      !WriteFileText(scratch + L"script.sh", (script + "\ntouch '" + unixScratch + "done'\n").c_str())) {
    return false;
  }
  if (!StartUnixProgram(L"/bin/sh " + std::wstring(unixScratch.begin(), unixScratch.end()) + L"script.sh"))
    return false;
  DWORD start = GetTickCount();
  while (!Exists(marker)) {
    if (GetTickCount() - start > timeoutMs) return false;
    Pause(100);
  }
  return true;
}

// The folders left in a purged tree.
int CountFolders(const std::wstring& folder) {
  WIN32_FIND_DATAW entry;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &entry);
  if (find == INVALID_HANDLE_VALUE) return 0;
  int n = 0;
  do {
    if ((entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && entry.cFileName[0] != L'.') ++n;
  } while (FindNextFileW(find, &entry));
  FindClose(find);
  return n;
}

std::wstring LastRunReport() {
  wchar_t local[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, local);
  return std::wstring(local) + L"\\Corvane\\last-run.txt";
}

double SecondsSince(const LARGE_INTEGER& start) {
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart - start.QuadPart) / static_cast<double>(frequency.QuadPart);
}

TEST(HistoryCleanerE2E, ExitDuringAPurgeOfManyFilesEndsPromptlyAndANewStartFollows) {
  constexpr int kFolders = 200, kFilesPerFolder = 250;
  std::wstring many = TempFolder() + L"corvane-e2e-many";
  std::string unixTemp = UnixFolder(TempFolder());
  ASSERT_FALSE(unixTemp.empty()) << "wine_get_unix_file_name";
  ASSERT_TRUE(RunOnUnixSide("cd '" + unixTemp +
                                "' && mkdir -p corvane-e2e-many && cd corvane-e2e-many && for d in $(seq " +
                                std::to_string(kFolders) + "); do mkdir -p d$d && (cd d$d && seq -f f%g.tmp " +
                                std::to_string(kFilesPerFolder) + " | xargs touch); done",
                            120000));
  ASSERT_EQ(CountFolders(many), kFolders);

  // A run that ends writes its report before the program exits; a run that
  // ignored the stop is cut off by the exit and leaves none.
  DeleteFileW(LastRunReport().c_str());
  Running app;
  ASSERT_NE(app.main, nullptr);
  DWORD pid = app.corvane.id();
  WriteSetting(L"WindowsTempFiles", 1);
  ASSERT_TRUE(ChooseTrayMenuEntry(app.main, L"Windows History Cleaner", kWait));
  HWND hc = WaitUntilShown(L"THistoryCleanerPref", L"History Cleaner", pid);
  ASSERT_NE(hc, nullptr);
  HWND cleanNow = FindChild(hc, L"Button", L"Clean Now");
  ASSERT_NE(cleanNow, nullptr);
  PostClick(cleanNow);
  HWND ask = WaitForMessageBox(L"Start cleaning now?", kWait, pid);
  ASSERT_NE(ask, nullptr);
  ASSERT_TRUE(AnswerMessageBox(ask, IDYES));

  // The purge runs on its worker: the windows answer meanwhile.
  EXPECT_TRUE(WaitUntil([cleanNow] { return !IsWindowEnabled(cleanNow); }, kWait)) << "a run is going";
  LARGE_INTEGER asked;
  QueryPerformanceCounter(&asked);
  EXPECT_TRUE(SendMessageTimeoutW(app.main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr));
  std::printf("the main window answered during the purge after %.3f s\n", SecondsSince(asked));

  QueryPerformanceCounter(&asked);
  SendMessageTimeoutW(app.main, WM_COMMAND, 9001, 0, SMTO_ABORTIFHUNG, kWait, nullptr);
  std::optional<DWORD> code = app.corvane.WaitForExit(kWait);
  double seconds = SecondsSince(asked);
  std::printf("Exit during the purge ended the program after %.3f s\n", seconds);
  ASSERT_EQ(code, 0u);
  EXPECT_LT(seconds, 10.0) << "a hang, not a prompt stop";
  EXPECT_FALSE(TrayIconExists(app.main)) << "the icon is gone";
  EXPECT_EQ(ReadSetting(L"CorvaneRunning"), 0u);
  int left = CountFolders(many);
  std::printf("%d of %d folders were left when the purge stopped\n", left, kFolders);
  EXPECT_GT(left, 0) << "Exit came after the purge had ended: make the tree larger";
  std::string report = ReadWholeFile(LastRunReport()).value_or("");
  EXPECT_NE(report.find("The cleaning stopped before its end: it was asked to stop"), std::string::npos)
      << "the run did not end on the stop before the program exited:\n"
      << report;

  // A new start right away: no "another instance", and the icon is back.
  Process again = StartCorvane();
  ASSERT_TRUE(again.started());
  HWND main = WaitForWindow(L"TCorvaneMain", L"Preferences", kWait, again.id());
  ASSERT_NE(main, nullptr);
  DWORD start = GetTickCount();
  while (ReadSetting(L"CorvaneRunning") != 1u && GetTickCount() - start < kWait) Pause(100);
  EXPECT_EQ(ReadSetting(L"CorvaneRunning"), 1u);
  EXPECT_EQ(WaitForMessageBox(L"There is another instance", 2000, again.id()), nullptr);
  EXPECT_TRUE(TrayIconExists(main));
  EXPECT_TRUE(again.Running());
  // For comparison: Exit with no run going.
  QueryPerformanceCounter(&asked);
  SendMessageTimeoutW(main, WM_COMMAND, 9001, 0, SMTO_ABORTIFHUNG, kWait, nullptr);
  EXPECT_EQ(again.WaitForExit(kWait), 0u);
  std::printf("Exit without a run ended the program after %.3f s\n", SecondsSince(asked));

  WriteSetting(L"WindowsTempFiles", 0);
  EXPECT_TRUE(RunOnUnixSide("rm -rf '" + unixTemp + "corvane-e2e-many'", 60000));
}

}  // namespace
}  // namespace e2e

namespace e2e {
namespace {

// A stand-in browser (ieframes.exe under Chrome's program name) started
// while Corvane runs: its window tells Corvane of it, and its end starts a
// cleaning of Chrome's chosen items, the temporary folder left alone.
TEST(HistoryCleanerE2E, ClosingAStandInChromeCleansItsCacheAndNothingElse) {
  wchar_t local[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, local);
  const std::wstring data = std::wstring(local) + L"\\Google\\Chrome\\User Data\\Default\\Cache\\Cache_Data";
  ASSERT_EQ(SHCreateDirectoryExW(nullptr, data.c_str(), nullptr), ERROR_SUCCESS);
  ASSERT_TRUE(WriteFileText(data + L"\\f_000001", "cached"));
  const std::wstring temp = TempFolder() + L"corvane-e2e-kept.tmp";
  ASSERT_TRUE(WriteFileText(temp, "kept"));
  const std::wstring standIn = TempFolder() + L"corvane-e2e-chrome";
  CreateDirectoryW(standIn.c_str(), nullptr);
  ASSERT_TRUE(CopyFileW((BinFolder() + L"ieframes.exe").c_str(), (standIn + L"\\chrome.exe").c_str(), FALSE));
  DeleteFileW(LastRunReport().c_str());

  Running app;
  ASSERT_NE(app.main, nullptr);
  WriteSetting(L"BrowserCache", 1);
  WriteSetting(L"WindowsTempFiles", 1);
  ASSERT_TRUE(ChooseTrayMenuEntry(app.main, L"Clean a Browser When It Closes", kWait));
  EXPECT_TRUE(WaitUntil([] { return ReadSetting(L"CleanOnBrowserClose") == 1u; }, kWait)) << "stored from the tray";

  Process browser(L"\"" + standIn + L"\\chrome.exe\"");
  ASSERT_TRUE(browser.started());
  HWND frame = WaitForWindow(L"IEFrame", L"", kWait, browser.id());
  ASSERT_NE(frame, nullptr);
  ASSERT_TRUE(Settled(app.main)) << "Corvane has handled the window's creation";
  Pause(500);
  EXPECT_TRUE(Exists(data + L"\\f_000001")) << "nothing is cleaned while it runs";
  PostMessageW(frame, WM_CLOSE, 0, 0);
  EXPECT_EQ(browser.WaitForExit(kWait), 0u);

  EXPECT_TRUE(WaitUntil([&] { return !Exists(data + L"\\f_000001"); }, kWait)) << "cleaned once it closed";
  EXPECT_TRUE(WaitUntil([] { return Exists(LastRunReport()); }, kWait));
  std::optional<std::string> report = ReadWholeFile(LastRunReport());
  ASSERT_TRUE(report);
  EXPECT_NE(report->find("Google Chrome"), std::string::npos) << *report;
  EXPECT_TRUE(Exists(temp)) << "the closing cleans the browser's items only";
  EXPECT_EQ(WaitForMessageBox(L"", 1000, app.corvane.id()), nullptr) << "and says nothing";
  DeleteFileW(temp.c_str());
}

}  // namespace
}  // namespace e2e
