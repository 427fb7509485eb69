// The whole program as a person meets it: installed silently, started from
// where it was installed, every window opened from the tray and a preference
// changed in each, a blocked pop-up reported, the hotkey pressed, "Exit", a
// second start that finds every preference as it was left, and the uninstaller.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <string>
#include <utility>
#include <vector>

#include "Driver.h"
#include "Person.h"
#include "Tray.h"

namespace e2e {
namespace {

constexpr DWORD kWait = 20000;
constexpr const wchar_t* kBlockerClsid = L"{9ED2FC98-244C-4B6F-A6D6-3FEDAD281E12}";
constexpr const wchar_t* kHelperObjectKey =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\"
    L"{9ED2FC98-244C-4B6F-A6D6-3FEDAD281E12}";
constexpr const wchar_t* kUninstallKey = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Corvane";

// What the walk changes before "Exit", as the second start must find it.
const std::pair<const wchar_t*, DWORD> kLeftPreferences[] = {
    {L"AutoCleaner", 1},    {L"CRVNPBStatus", 1}, {L"SoundIndex", 1},       {L"IEWHotKey", 1},
    {L"WindowsHotKeyS", 1}, {L"EPWC", 1},         {L"WindowsTempFiles", 1},
};

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool KeyExists(HKEY root, const std::wstring& path) {
  HKEY key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

std::wstring ReadString(HKEY root, const std::wstring& path, const wchar_t* name) {
  wchar_t text[1024] = {0};
  DWORD size = sizeof text;
  LONG rc = RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, text, &size);
  return rc == ERROR_SUCCESS ? std::wstring(text) : L"(missing)";
}

// When a key was last written: a new registration rewrites it.
ULONGLONG LastWritten(HKEY root, const std::wstring& path) {
  HKEY key;
  if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
  FILETIME written{};
  RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                   &written);
  RegCloseKey(key);
  return (static_cast<ULONGLONG>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
}

void DeleteKey(HKEY root, const std::wstring& path) {
  RegDeleteTreeW(root, path.c_str());
  RegDeleteKeyW(root, path.c_str());
}

std::wstring InstallFolder() {
  wchar_t folder[MAX_PATH] = {0};
  GetEnvironmentVariableW(L"ProgramFiles", folder, MAX_PATH);
  return std::wstring(folder) + L"\\Corvane";
}

std::wstring StartMenuFolder() {
  wchar_t folder[MAX_PATH] = {0};
  SHGetFolderPathW(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, folder);
  return std::wstring(folder) + L"\\Corvane";
}

// Waits, bounded, until a file or folder is gone.
bool WaitUntilGone(const std::wstring& path) {
  DWORD start = GetTickCount();
  while (Exists(path) && GetTickCount() - start < 60000) Pause(200);
  return !Exists(path);
}

void Click(HWND control) { SendMessageTimeoutW(control, BM_CLICK, 0, 0, SMTO_ABORTIFHUNG, kWait, nullptr); }

// A Corvane window opened from a tray entry, once it shows.
HWND OpenFromTray(HWND main, const wchar_t* entry, const wchar_t* className, const wchar_t* caption, DWORD pid) {
  std::string name(entry, entry + wcslen(entry));
  if (!ChooseTrayMenuEntry(main, entry, kWait)) {
    ADD_FAILURE() << "the tray menu did not open for " << name;
    return nullptr;
  }
  HWND window = WaitForWindow(className, caption, kWait, pid);
  if (!window || !WaitUntilVisible(window, kWait)) {
    ADD_FAILURE() << name << " showed no window";
    return nullptr;
  }
  Pause(300);  // painted
  return window;
}

void Hide(HWND window) {
  SendMessageTimeoutW(window, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, kWait, nullptr);
  WaitUntilHidden(window, kWait);
}

// A picture of a window, once painted, which is then closed (hidden).
void KeepAndHide(HWND window, const char* name) {
  Pause(300);
  Screenshot(window, name);
  Hide(window);
}

class WalkE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    // As on a machine where Corvane never was.
    DeleteSettingsKey();
    DeleteKey(HKEY_LOCAL_MACHINE, kHelperObjectKey);
    DeleteKey(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kBlockerClsid);
    RegDeleteKeyValueW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"Corvane");
    ForgetTrayHint();  // a user who never started Corvane
    for (const std::string& name : CookieNames()) DeleteCookie(name);
  }
  void TearDown() override {
    // What a failed walk leaves; later tests start without it.
    if (Exists(dir + L"\\uninstall.exe")) {
      Process uninstall(L"\"" + dir + L"\\uninstall.exe\" /S");
      WaitUntilGone(dir + L"\\uninstall.exe");
    }
    DeleteFileW((dir + L"\\Settings\\SafeCookies.txt").c_str());
    RemoveDirectoryW((dir + L"\\Settings").c_str());
    RemoveDirectoryW(dir.c_str());
    DeleteSettingsKey();
    for (const std::string& name : CookieNames()) DeleteCookie(name);
  }

  void Install();
  void StartInstalled(bool first);
  void ScreenshotTrayMenu();
  void ChangeMainWindow();
  void ChangePopupBlocker();
  void ChangeHotkey();
  void ShowAboutAndHelp();
  void CleanByHand();
  void ManageCookies();
  void ReportBlockedPopup();
  void PressHotkey();
  void ExitFromTray();
  void FindPreferencesAsLeft();
  void Uninstall();

  std::wstring dir = InstallFolder();
  Process corvane;
  HWND main = nullptr;
  ULONGLONG registeredAt = 0;
};

void WalkE2E::Install() {
  std::wstring setup = BinFolder() + L"..\\corvane-setup.exe";
  ASSERT_TRUE(Exists(setup)) << "build the target corvane_installer first";
  Process install(L"\"" + setup + L"\" /S");
  ASSERT_TRUE(install.started());
  EXPECT_EQ(install.WaitForExit(120000), 0u) << "the silent installation ends with 0";
  for (const wchar_t* file : {L"corvane.exe", L"cvblock.dll", L"sounds\\sound1.wav", L"sounds\\sound2.wav",
                              L"Help\\corvane.chm", L"uninstall.exe"}) {
    EXPECT_TRUE(Exists(dir + L"\\" + file)) << "installed: " << std::string(file, file + wcslen(file));
  }
  EXPECT_TRUE(Exists(dir + L"\\Settings")) << "an empty Settings folder";
  EXPECT_TRUE(Exists(StartMenuFolder() + L"\\Corvane.lnk"));
  // Setup registered the blocker module from where it installed it, so the
  // program has nothing left to do at its first start.
  EXPECT_EQ(ReadSetting(L"CRVNBFirst"), 0u);
  EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kBlockerClsid + L"\\InprocServer32", nullptr),
            dir + L"\\cvblock.dll");
  registeredAt = LastWritten(HKEY_LOCAL_MACHINE, kHelperObjectKey);
  EXPECT_NE(registeredAt, 0u) << "the browser helper object is registered";
}

void WalkE2E::StartInstalled(bool first) {
  corvane = Process(L"\"" + dir + L"\\corvane.exe\"");
  ASSERT_TRUE(corvane.started());
  if (first) {
    // The splash, on the way to the tray.
    HWND splash = WaitForWindow(L"TSplashScreen", L"", kWait, corvane.id());
    if (splash && WaitUntilVisible(splash, 3000)) Screenshot(splash, "walk-splash");
  }
  main = WaitForWindow(L"TCorvaneMain", L"Preferences", kWait, corvane.id());
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitForSetting(L"CorvaneRunning", 1, kWait));
  EXPECT_EQ(WaitForMessageBox(L"An error", 1500, corvane.id()), nullptr) << "a clean start after installation";
  WaitPastSplash(corvane.id(), kWait);
  EXPECT_TRUE(TrayIconExists(main));
  // The user's first start tells where the icon is, once.
  HWND hint = WaitForMessageBox(L"Corvane runs in the notification area", first ? kWait : 1500, corvane.id());
  if (first) {
    ASSERT_NE(hint, nullptr) << "the first start tells where the icon is";
    Screenshot(hint, "walk-tray-hint");
    ASSERT_TRUE(AnswerMessageBox(hint, IDOK));
  } else {
    EXPECT_EQ(hint, nullptr) << "told once";
  }

  // The blocker module, registered by setup, is not registered again.
  EXPECT_EQ(ReadSetting(L"CRVNBFirst"), 0u);
  EXPECT_EQ(LastWritten(HKEY_LOCAL_MACHINE, kHelperObjectKey), registeredAt) << "registered once only";
}

void WalkE2E::ScreenshotTrayMenu() {
  TrayClick(main, WM_RBUTTONUP);
  HWND menu = WaitForMenu(corvane.id(), kWait);
  ASSERT_NE(menu, nullptr);
  MenuKey(menu, VK_DOWN);
  EXPECT_TRUE(Screenshot(menu, "walk-tray-menu"));
  MenuKey(menu, VK_ESCAPE);
  EXPECT_TRUE(WaitUntilMenuClosed(corvane.id(), kWait));
}

void WalkE2E::ChangeMainWindow() {
  ASSERT_EQ(OpenFromTray(main, L"Preferences", L"TCorvaneMain", L"Preferences", corvane.id()), main);
  HWND autoCleaner = FindChild(main, L"Button", L"Enable auto history cleaner");
  ASSERT_NE(autoCleaner, nullptr);
  EXPECT_FALSE(IsChecked(autoCleaner));
  Click(autoCleaner);
  EXPECT_TRUE(WaitForSetting(L"AutoCleaner", 1, kWait)) << "stored without an error: the key is writable";
  EXPECT_EQ(WaitForMessageBox(L"An error", 500, corvane.id()), nullptr);
  KeepAndHide(main, "walk-preferences");
}

void WalkE2E::ChangePopupBlocker() {
  HWND pref = OpenFromTray(main, L"Popup Blocker Preferences", L"TPopUpBlockerPref", L"Popup Blocker Preferences",
                           corvane.id());
  ASSERT_NE(pref, nullptr);
  HWND enable = FindChild(pref, L"Button", L"Enable popup blocking");
  ASSERT_NE(enable, nullptr);
  PostClick(enable);
  EXPECT_TRUE(WaitForSetting(L"CRVNPBStatus", 1, kWait));

  // The sound chooser: the second sound.
  PostClick(FindChild(pref, L"Button", L"..."));
  HWND chooser = WaitForWindow(L"TSelectSound", L"Select Sound", kWait, corvane.id());
  ASSERT_NE(chooser, nullptr);
  ASSERT_TRUE(WaitUntilVisible(chooser, kWait));
  HWND list = FindWindowExW(chooser, nullptr, L"ListBox", nullptr);
  ASSERT_NE(list, nullptr);
  ClickListLine(list, 1, false);
  Pause(300);
  Screenshot(chooser, "walk-sound-chooser");
  PostClick(FindChild(chooser, L"Button", L"Select"));
  EXPECT_TRUE(WaitUntilHidden(chooser, kWait));
  EXPECT_TRUE(WaitForSetting(L"SoundIndex", 1, kWait));
  KeepAndHide(pref, "walk-popup-blocker");
}

void WalkE2E::ChangeHotkey() {
  HWND pref =
      OpenFromTray(main, L"Windows Hotkey Preferences", L"TBossKeyPref", L"Windows Hotkey Prefrences", corvane.id());
  ASSERT_NE(pref, nullptr);
  HWND enable = FindChild(pref, L"Button", L"Enable windows hotkey");
  HWND browser = FindChild(pref, L"Button", L"Enable Internet Explorer hotkey");
  ASSERT_TRUE(enable && browser);
  EXPECT_FALSE(IsChecked(enable));
  EXPECT_FALSE(IsChecked(browser));
  Click(enable);
  EXPECT_TRUE(WaitForSetting(L"WindowsHotKeyS", 1, kWait));
  Click(browser);
  EXPECT_TRUE(WaitForSetting(L"IEWHotKey", 1, kWait));
  EXPECT_FALSE(CombinationIsFree(MOD_CONTROL, VK_F12)) << "Corvane holds CTRL + F12";
  KeepAndHide(pref, "walk-hotkey");
}

void WalkE2E::ShowAboutAndHelp() {
  HWND about = OpenFromTray(main, L"About Us", L"TAboutBox", L"About Us", corvane.id());
  ASSERT_NE(about, nullptr);
  Screenshot(about, "walk-about");
  Hide(about);

  // "&Contents and Topics" hands the installed help file to the shell. Wine
  // opens it in its own viewer, hh.exe, whose window carries the file's title.
  ASSERT_TRUE(ChooseTrayMenuEntry(main, L"&Contents and Topics", kWait));
  HWND help = WaitForWindow(L"HH Parent", L"Corvane Help", 15000);
  ASSERT_NE(help, nullptr) << "no help viewer showed Help\\corvane.chm";
  Pause(1500);
  Screenshot(help, "walk-help");
  DWORD viewer = 0;
  GetWindowThreadProcessId(help, &viewer);
  SendMessageTimeoutW(help, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, kWait, nullptr);
  if (HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, viewer)) {
    if (WaitForSingleObject(process, 5000) != WAIT_OBJECT_0) TerminateProcess(process, 1);
    CloseHandle(process);
  }
}

std::wstring TempFile(const wchar_t* name) {
  wchar_t path[MAX_PATH];
  DWORD n = GetTempPathW(MAX_PATH, path);
  return std::wstring(path, n) + name;
}

// The cookie manager, opened from the history cleaner's Internet Explorer tab;
// its two lists: the cache's cookies and the safe list.
HWND OpenCookieManager(HWND main, DWORD pid, HWND* cookies, HWND* safe) {
  HWND hc = OpenFromTray(main, L"Internet Explorer History Cleaner", L"THistoryCleanerPref", L"History Cleaner", pid);
  if (!hc) return nullptr;
  PostClick(FindChild(hc, L"Button", L"Cookies Manager"));
  HWND cm = WaitForWindow(L"TCookieManager", L"Cookies Manager", kWait, pid);
  if (!cm || !WaitUntilVisible(cm, kWait)) return nullptr;
  *cookies = FindWindowExW(cm, nullptr, L"ListBox", nullptr);
  *safe = *cookies ? FindWindowExW(cm, *cookies, L"ListBox", nullptr) : nullptr;
  return *safe ? cm : nullptr;
}

void WalkE2E::CleanByHand() {
  std::wstring track = TempFile(L"corvane-walk.tmp");
  HANDLE file = CreateFileW(track.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);

  HWND hc = OpenFromTray(main, L"Windows History Cleaner", L"THistoryCleanerPref", L"History Cleaner", corvane.id());
  ASSERT_NE(hc, nullptr);
  HWND temporary = FindChild(hc, L"Button", L"Temporary Files");
  HWND cleanNow = FindChild(hc, L"Button", L"Clean Now");
  ASSERT_TRUE(temporary && cleanNow);
  EXPECT_FALSE(IsChecked(temporary));
  Click(temporary);
  EXPECT_TRUE(WaitForSetting(L"WindowsTempFiles", 1, kWait));
  Pause(300);
  Screenshot(hc, "walk-history-cleaner");

  PostClick(cleanNow);
  HWND ask = WaitForMessageBox(L"Start cleaning now?", kWait, corvane.id());
  ASSERT_NE(ask, nullptr);
  Screenshot(ask, "walk-clean-confirm");
  ASSERT_TRUE(AnswerMessageBox(ask, IDYES));
  HWND done = WaitForMessageBox(L"All selected history tracks cleaned successfully", 60000, corvane.id());
  ASSERT_NE(done, nullptr) << "the completion message";
  Screenshot(done, "walk-cleaned");
  ASSERT_TRUE(AnswerMessageBox(done, IDOK));
  EXPECT_FALSE(Exists(track)) << "the temporary file is cleaned away";
  Hide(hc);
}

void WalkE2E::ManageCookies() {
  ASSERT_TRUE(CommitCookie("Cookie:walk@keep.example/"));
  ASSERT_TRUE(CommitCookie("Cookie:walk@other.example/"));
  HWND cookies = nullptr, safe = nullptr;
  HWND cm = OpenCookieManager(main, corvane.id(), &cookies, &safe);
  ASSERT_NE(cm, nullptr);
  using Lines = std::vector<std::wstring>;
  ASSERT_EQ(ListLines(cookies), (Lines{L"keep.example", L"other.example"}));
  ClickListLine(cookies, 0, false);
  Click(FindChild(cm, L"Button", L">"));
  EXPECT_EQ(ListLines(safe), (Lines{L"keep.example"}));
  Pause(300);
  Screenshot(cm, "walk-cookie-manager");
  Click(FindChild(cm, L"Button", L"Save"));

  EXPECT_EQ(ReadWholeFile(dir + L"\\Settings\\SafeCookies.txt"), "keep.example\r\n")
      << "saved in the installed Settings folder";
  Hide(cm);
  Hide(WaitForWindow(L"THistoryCleanerPref", L"History Cleaner", 0, corvane.id()));
}

void WalkE2E::ReportBlockedPopup() {
  ASSERT_EQ(ReadSetting(L"EPWC").value_or(0), 0u);
  std::wstring line =
      L"C:\\windows\\system32\\rundll32.exe \"" + dir + L"\\cvblock.dll\",ReportBlockedPopup http://popup.example/walk";
  Process report(line);
  ASSERT_TRUE(report.started());
  EXPECT_EQ(report.WaitForExit(kWait), 0u);
  EXPECT_EQ(ReadSetting(L"EPWC"), 1u) << "the blocked pop-up is counted";
  EXPECT_TRUE(corvane.Running());
  EXPECT_TRUE(TrayIconExists(main));
}

void WalkE2E::PressHotkey() {
  Process browser(L"\"" + BinFolder() + L"ieframes.exe\"");
  ASSERT_TRUE(browser.started());
  HWND frame = WaitForWindow(L"IEFrame", L"Browser One", kWait, browser.id());
  ASSERT_NE(frame, nullptr);
  RECT r;
  GetWindowRect(frame, &r);
  // The first press after the start shows; the second hides the browser's frames.
  ASSERT_TRUE(TypeKeysThroughX((r.left + r.right) / 2, (r.top + r.bottom) / 2, L"ctrl+F12"))
      << "xdotool is needed (scripts/setup.sh installs it)";
  EXPECT_TRUE(WaitForSetting(L"IEStatus", 1, kWait));
  ASSERT_TRUE(TypeKeysThroughX((r.left + r.right) / 2, (r.top + r.bottom) / 2, L"ctrl+F12"));
  EXPECT_TRUE(WaitForSetting(L"IEStatus", 0, kWait));
  EXPECT_TRUE(WaitUntilHidden(frame, kWait)) << "CTRL + F12 hid the browser";
}

void WalkE2E::ExitFromTray() {
  ASSERT_TRUE(ChooseTrayMenuEntry(main, L"Exit", kWait));
  EXPECT_EQ(corvane.WaitForExit(kWait), 0u);
  EXPECT_EQ(ReadSetting(L"CorvaneRunning"), 0u);
  EXPECT_TRUE(CombinationIsFree(MOD_CONTROL, VK_F12)) << "the hotkey is released";
}

void WalkE2E::FindPreferencesAsLeft() {
  for (const auto& [name, value] : kLeftPreferences) {
    EXPECT_EQ(ReadSetting(name), value) << std::string(name, name + wcslen(name));
  }
  EXPECT_FALSE(CombinationIsFree(MOD_CONTROL, VK_F12)) << "the hotkey is held again";

  ASSERT_EQ(OpenFromTray(main, L"Preferences", L"TCorvaneMain", L"Preferences", corvane.id()), main);
  EXPECT_TRUE(IsChecked(FindChild(main, L"Button", L"Enable auto history cleaner")));
  Hide(main);

  HWND popup = OpenFromTray(main, L"Popup Blocker Preferences", L"TPopUpBlockerPref", L"Popup Blocker Preferences",
                            corvane.id());
  ASSERT_NE(popup, nullptr);
  EXPECT_TRUE(IsChecked(FindChild(popup, L"Button", L"Enable popup blocking")));
  EXPECT_NE(FindChild(popup, L"Static", L"SoundNotification2"), nullptr) << "the chosen sound, as the window names it";
  EXPECT_NE(FindChild(popup, L"Static", L"1"), nullptr) << "the count of blocked pop-ups";
  Screenshot(popup, "walk-popup-blocker-after-restart");
  Hide(popup);

  HWND hotkey =
      OpenFromTray(main, L"Windows Hotkey Preferences", L"TBossKeyPref", L"Windows Hotkey Prefrences", corvane.id());
  ASSERT_NE(hotkey, nullptr);
  EXPECT_TRUE(IsChecked(FindChild(hotkey, L"Button", L"Enable windows hotkey")));
  EXPECT_TRUE(IsChecked(FindChild(hotkey, L"Button", L"Enable Internet Explorer hotkey")));
  EXPECT_TRUE(IsChecked(FindChild(hotkey, L"Button", L"CTRL + F12")));
  Hide(hotkey);

  HWND hc = OpenFromTray(main, L"Windows History Cleaner", L"THistoryCleanerPref", L"History Cleaner", corvane.id());
  ASSERT_NE(hc, nullptr);
  EXPECT_TRUE(IsChecked(FindChild(hc, L"Button", L"Temporary Files")));
  Hide(hc);
  HWND cookies = nullptr, safe = nullptr;
  HWND cm = OpenCookieManager(main, corvane.id(), &cookies, &safe);
  ASSERT_NE(cm, nullptr);
  EXPECT_EQ(ListLines(safe), (std::vector<std::wstring>{L"keep.example"})) << "the safe list as saved";
  Hide(cm);
  Hide(hc);
}

void WalkE2E::Uninstall() {
  // With Corvane running: the uninstaller ends it through its "Exit".
  Process uninstall(L"\"" + dir + L"\\uninstall.exe\" /S");
  ASSERT_TRUE(uninstall.started());
  EXPECT_EQ(corvane.WaitForExit(kWait), 0u) << "the uninstaller ended the running Corvane";
  // The uninstaller runs on from a copy of itself and removes itself last.
  EXPECT_TRUE(WaitUntilGone(dir + L"\\uninstall.exe"));
  DWORD start = GetTickCount();
  while (KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey) && GetTickCount() - start < kWait) Pause(200);
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
  for (const wchar_t* file : {L"corvane.exe", L"cvblock.dll", L"sounds", L"Help"}) {
    EXPECT_FALSE(Exists(dir + L"\\" + file)) << "removed: " << std::string(file, file + wcslen(file));
  }
  EXPECT_FALSE(Exists(StartMenuFolder())) << "the Start menu entries are gone";
  EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kBlockerClsid + L"\\InprocServer32", nullptr),
            L"(missing)")
      << "the blocker module is unregistered";
  // Silent, without /KEEPSETTINGS: nothing is left, not even the user's data.
  EXPECT_TRUE(WaitUntilGone(dir)) << "the Corvane folder is gone, the safe list with it";
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Tessaly")) << "the settings key is gone";
}

TEST_F(WalkE2E, InstallUseEveryWindowFromTheTrayRestartAndUninstall) {
  ASSERT_NO_FATAL_FAILURE(Install());
  ASSERT_NO_FATAL_FAILURE(StartInstalled(true));
  ASSERT_NO_FATAL_FAILURE(ScreenshotTrayMenu());
  ASSERT_NO_FATAL_FAILURE(ChangeMainWindow());
  ASSERT_NO_FATAL_FAILURE(ChangePopupBlocker());
  ASSERT_NO_FATAL_FAILURE(ChangeHotkey());
  ASSERT_NO_FATAL_FAILURE(PressHotkey());
  ASSERT_NO_FATAL_FAILURE(ShowAboutAndHelp());
  ASSERT_NO_FATAL_FAILURE(CleanByHand());
  ASSERT_NO_FATAL_FAILURE(ManageCookies());
  ASSERT_NO_FATAL_FAILURE(ReportBlockedPopup());
  ASSERT_NO_FATAL_FAILURE(ExitFromTray());
  ASSERT_NO_FATAL_FAILURE(StartInstalled(false));
  ASSERT_NO_FATAL_FAILURE(FindPreferencesAsLeft());
  ASSERT_NO_FATAL_FAILURE(Uninstall());
}

}  // namespace
}  // namespace e2e
