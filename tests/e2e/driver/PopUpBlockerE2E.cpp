// The pop-up blocker end to end: the module registered at the first start,
// blocked pop-up windows reported through rundll32 reaching the tray
// announcement, the preferences window and the sound chooser.
#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "Driver.h"
#include "Person.h"
#include "Tray.h"

namespace e2e {
namespace {

constexpr DWORD kWait = 20000;
constexpr const wchar_t* kClsid = L"{9ED2FC98-244C-4B6F-A6D6-3FEDAD281E12}";
std::wstring HelperObjectKey() {
  return std::wstring(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\") + kClsid;
}

// A string value as the registry holds it, or "(missing)".
std::wstring ReadString(HKEY root, const std::wstring& path, const wchar_t* name) {
  wchar_t text[1024] = {0};
  DWORD size = sizeof text;
  LONG rc = RegGetValueW(root, path.c_str(), name, RRF_RT_REG_SZ, nullptr, text, &size);
  return rc == ERROR_SUCCESS ? std::wstring(text) : L"(missing)";
}

std::optional<DWORD> ReadDword(HKEY root, const std::wstring& path, const wchar_t* name) {
  DWORD value = 0, size = sizeof value;
  if (RegGetValueW(root, path.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

// Runs `rundll32 cvblock.dll,ReportBlockedPopup <address>` to its end; the
// milliseconds it took, or nullopt when it did not end in time.
std::optional<DWORD> ReportBlockedPopup(const std::wstring& address) {
  std::wstring line =
      L"C:\\windows\\system32\\rundll32.exe " + BinFolder() + L"cvblock.dll,ReportBlockedPopup " + address;
  DWORD start = GetTickCount();
  Process report(line);
  if (!report.started() || report.WaitForExit(kWait) != 0u) return std::nullopt;
  return GetTickCount() - start;
}

// The user clicks a control of a Corvane window: its form hears BN_CLICKED
// from it, as it does from a real click.
void Click(HWND form, HWND control) {
  PostMessageW(form, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

// The setting once it holds `expected`, or what it holds when the wait runs out.
std::optional<DWORD> SettingOnceItIs(const wchar_t* name, DWORD expected) {
  DWORD start = GetTickCount();
  while (ReadSetting(name) != expected && GetTickCount() - start < kWait) Pause(100);
  return ReadSetting(name);
}

// Waits until a child of `parent` shows `text`; null if none does in time.
HWND WaitForChildText(HWND parent, const std::wstring& className, const std::wstring& text, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  for (;;) {
    if (HWND child = FindChild(parent, className, text)) return child;
    if (GetTickCount() - start > timeoutMs) return nullptr;
    Pause(100);
  }
}

// Opens "Popup Blocker Preferences" from the tray, hiding it first so that it loads again.
HWND ShowPreferences(HWND main, DWORD pid) {
  if (HWND shown = WaitForWindow(L"TPopUpBlockerPref", L"Popup Blocker Preferences", 0, pid)) {
    SendMessageTimeoutW(shown, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, kWait, nullptr);
    WaitUntilHidden(shown, kWait);
  }
  if (!ChooseTrayMenuEntry(main, L"Popup Blocker Preferences", kWait)) return nullptr;
  HWND pref = WaitForWindow(L"TPopUpBlockerPref", L"Popup Blocker Preferences", kWait, pid);
  return pref && WaitUntilVisible(pref, kWait) ? pref : nullptr;
}

// What any program on the desktop may post or send to Corvane's windows: the
// numbers Corvane keeps for itself, with any parameters, and notifications
// whose pointer is an address of the sender's choosing.
void SendJunk(HWND window) {
  const LPARAM params[] = {0, 1, 0x12345678, -1, static_cast<LPARAM>(0xdeadbeefdeadbeefull)};
  for (UINT msg = WM_APP; msg <= WM_APP + 16; ++msg) {
    for (LPARAM p : params) PostMessageW(window, msg, static_cast<WPARAM>(p), p);
  }
  for (LPARAM p : params) {
    PostMessageW(window, WM_NOTIFY, 1, p);
    SendMessageTimeoutW(window, WM_NOTIFY, 1, p, SMTO_ABORTIFHUNG, kWait, nullptr);
    if (p == 0) continue;
    // A timer whose callback is the sender's address (DispatchMessage would
    // call it), and messages whose lParam is text to read or a buffer to fill.
    PostMessageW(window, WM_TIMER, 1, p);
    for (UINT textual :
         {UINT{WM_SETTEXT}, UINT{WM_GETTEXT}, UINT{LB_ADDSTRING}, UINT{LB_GETTEXT}, UINT{EM_REPLACESEL}}) {
      PostMessageW(window, textual, 64, p);
    }
  }
  // The other messages with a pointer the system refuses to post at all, so
  // Corvane's own filter of posted messages leaves them out.
  for (UINT msg : {WM_COPYDATA, WM_DRAWITEM, WM_MEASUREITEM, WM_COMPAREITEM, WM_DELETEITEM}) {
    SetLastError(0xdeadbeef);
    EXPECT_FALSE(PostMessageW(window, msg, 1, 0x12345678)) << "message " << msg;
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MESSAGE_SYNC_ONLY)) << "message " << msg;
  }
}

BOOL CALLBACK SendJunkToChild(HWND child, LPARAM) {
  SendJunk(child);
  return TRUE;
}

void WriteStartingSettings() {
  DeleteSettingsKey();
  for (const wchar_t* name : {L"CRVNPBStatus", L"AutoCleaner", L"WindowsHotKeyS", L"IEWHotKey", L"WinVolControl"}) {
    WriteSetting(name, 0);
  }
  WriteSetting(L"SoundNotification", 1);
  WriteSetting(L"AnimTrayIcon", 1);
  WriteSetting(L"SoundIndex", 0);
  WriteSetting(L"EPWC", 0);
  WriteSetting(L"CRVNBFirst", 1);  // as an installation whose own registration failed leaves it
}

TEST(PopUpBlockerE2E, TheModuleIsRegisteredOnceAndItsReportsReachTheAnnouncementAndTheCount) {
  WriteStartingSettings();
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, HelperObjectKey().c_str());
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, HelperObjectKey().c_str());
  Process corvane = StartCorvane();
  ASSERT_TRUE(corvane.started());
  HWND main = WaitForWindow(L"TCorvaneMain", L"Preferences", kWait, corvane.id());
  ASSERT_NE(main, nullptr);

  // The first start registered the module with the system and cleared the flag.
  EXPECT_EQ(SettingOnceItIs(L"CRVNBFirst", 0), 0u);
  EXPECT_EQ(ReadString(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kClsid + L"\\InprocServer32", nullptr),
            BinFolder() + L"cvblock.dll");
  EXPECT_EQ(ReadDword(HKEY_LOCAL_MACHINE, HelperObjectKey(), L"NoExplorer"), 1u);
  EXPECT_EQ(WaitForMessageBox(L"An error", 1000, corvane.id()), nullptr);

  // Blocking off: the module neither counts nor tells.
  ASSERT_EQ(ReadSetting(L"CRVNPBStatus"), 0u);
  std::optional<DWORD> off = ReportBlockedPopup(L"http://popup.example/off");
  ASSERT_TRUE(off) << "rundll32 ends";
  EXPECT_EQ(ReadSetting(L"EPWC"), 0u);

  // Blocking switched on in the preferences window.
  HWND pref = ShowPreferences(main, corvane.id());
  ASSERT_NE(pref, nullptr);
  EXPECT_NE(FindChild(pref, L"Static", L"0"), nullptr) << "the count, the module being registered";
  HWND enable = FindChild(pref, L"Button", L"Enable popup blocking");
  ASSERT_NE(enable, nullptr);
  EXPECT_FALSE(IsChecked(enable));
  Click(pref, enable);
  EXPECT_EQ(SettingOnceItIs(L"CRVNPBStatus", 1), 1u);
  EXPECT_TRUE(IsChecked(enable));

  // The tray entry toggles its own mark, which the window's click has set: it now switches blocking off, then on.
  ASSERT_TRUE(ChooseTrayMenuEntry(main, L"&Enable Popup Blocking", kWait));
  EXPECT_EQ(SettingOnceItIs(L"CRVNPBStatus", 0), 0u) << "the tray mark followed the window's box at once";
  ASSERT_TRUE(ChooseTrayMenuEntry(main, L"&Enable Popup Blocking", kWait));
  ASSERT_EQ(SettingOnceItIs(L"CRVNPBStatus", 1), 1u);

  // Blocking on, with the animation: the report returns only after the announcement.
  std::optional<DWORD> on = ReportBlockedPopup(L"http://popup.example/on");
  ASSERT_TRUE(on);
  EXPECT_EQ(ReadSetting(L"EPWC"), 1u);
  EXPECT_GE(*on, 2400u) << "four blinks of 600 ms before the module's message returns";

  // Without the animation (and no sound device under Wine) the report has nothing to wait for.
  HWND animate = FindChild(pref, L"Button", L"Animate system tray icon when a popup window is blocked");
  ASSERT_NE(animate, nullptr);
  ASSERT_TRUE(IsChecked(animate));
  Click(pref, animate);
  EXPECT_EQ(SettingOnceItIs(L"AnimTrayIcon", 0), 0u);

  // Other programs' messages: junk to every window of Corvane's, a large
  // block and an empty one as the module's notification. Corvane goes on.
  HWND app = WaitForWindow(L"TApplication", L"", 0, corvane.id());
  ASSERT_NE(app, nullptr);
  for (HWND window : {app, main, pref}) SendJunk(window);
  // And to the controls, whose classes read the text messages' pointers.
  EnumChildWindows(pref, SendJunkToChild, 0);
  std::vector<char> block(1 << 20, 'x');  // Wine carries 1 MiB and refuses 4 MiB itself
  for (COPYDATASTRUCT data :
       {COPYDATASTRUCT{7, static_cast<DWORD>(block.size()), block.data()}, COPYDATASTRUCT{0, 0, nullptr}}) {
    DWORD_PTR answer = 0;
    EXPECT_TRUE(
        SendMessageTimeoutW(main, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, kWait, &answer))
        << data.cbData << " bytes";
    EXPECT_EQ(answer, 1u);
  }
  ASSERT_TRUE(SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_ABORTIFHUNG, kWait, nullptr)) << "still answering";
  EXPECT_TRUE(corvane.Running());
  EXPECT_EQ(WaitForMessageBox(L"", 500, corvane.id()), nullptr) << "nothing to tell the user";
  EXPECT_EQ(ReadSetting(L"EPWC"), 1u) << "none of that counted as a blocked pop-up";

  std::optional<DWORD> quiet = ReportBlockedPopup(L"http://popup.example/quiet");
  ASSERT_TRUE(quiet);
  EXPECT_EQ(ReadSetting(L"EPWC"), 2u) << "a genuine report still counts";
  std::printf("report took %lu ms with blocking off, %lu ms with the animation, %lu ms without\n",
              static_cast<unsigned long>(*off), static_cast<unsigned long>(*on), static_cast<unsigned long>(*quiet));

  // The count as the window shows it at its next showing.
  pref = ShowPreferences(main, corvane.id());
  ASSERT_NE(pref, nullptr);
  EXPECT_NE(WaitForChildText(pref, L"Static", L"2", 2000), nullptr);
  EXPECT_NE(FindChild(pref, L"Static", L"Number of eliminated popup windows"), nullptr);
  EXPECT_NE(FindChild(pref, L"Static", L"SoundNotification1"), nullptr);
  Pause(300);
  Screenshot(pref, "popup-blocker-preferences");

  // A second start does not register the module again.
  SendMessageTimeoutW(main, WM_COMMAND, 9001, 0, SMTO_ABORTIFHUNG, kWait, nullptr);
  ASSERT_EQ(corvane.WaitForExit(kWait), 0u);
  RegDeleteTreeW(HKEY_LOCAL_MACHINE, HelperObjectKey().c_str());
  RegDeleteKeyW(HKEY_LOCAL_MACHINE, HelperObjectKey().c_str());
  Process again = StartCorvane();
  HWND main2 = WaitForWindow(L"TCorvaneMain", L"Preferences", kWait, again.id());
  ASSERT_NE(main2, nullptr);
  SettingOnceItIs(L"CorvaneRunning", 1);
  EXPECT_FALSE(ReadDword(HKEY_LOCAL_MACHINE, HelperObjectKey(), L"NoExplorer")) << "registered once only";
  SendMessageTimeoutW(main2, WM_COMMAND, 9001, 0, SMTO_ABORTIFHUNG, kWait, nullptr);
  EXPECT_EQ(again.WaitForExit(kWait), 0u);
}

TEST(PopUpBlockerE2E, TheChooserSetsTheSoundAndAnIndexOutsideTheTableHasNoFile) {
  WriteStartingSettings();
  WriteSetting(L"CRVNBFirst", 0);
  Process corvane = StartCorvane();
  HWND main = WaitForWindow(L"TCorvaneMain", L"Preferences", kWait, corvane.id());
  ASSERT_NE(main, nullptr);
  HWND pref = ShowPreferences(main, corvane.id());
  ASSERT_NE(pref, nullptr);
  ASSERT_NE(FindChild(pref, L"Static", L"SoundNotification1"), nullptr);

  Click(pref, FindChild(pref, L"Button", L"..."));
  HWND chooser = WaitForWindow(L"TSelectSound", L"Select Sound", kWait, corvane.id());
  ASSERT_NE(chooser, nullptr);
  ASSERT_TRUE(WaitUntilVisible(chooser, kWait));
  EXPECT_FALSE(IsWindowEnabled(pref)) << "the chooser is modal";
  HWND list = FindWindowExW(chooser, nullptr, L"ListBox", nullptr);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(SendMessageW(list, LB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 0);
  EXPECT_EQ(SendMessageW(list, LB_GETITEMHEIGHT, 0, 0), 20);

  // The user clicks the second line.
  RECT line{};
  SendMessageW(list, LB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&line));
  LPARAM at = MAKELPARAM(line.left + 20, (line.top + line.bottom) / 2);
  PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(list, WM_LBUTTONUP, 0, at);
  DWORD start = GetTickCount();
  while (SendMessageW(list, LB_GETCURSEL, 0, 0) != 1 && GetTickCount() - start < kWait) Pause(100);
  EXPECT_EQ(SendMessageW(list, LB_GETCURSEL, 0, 0), 1);
  Pause(300);
  Screenshot(chooser, "sound-chooser");

  Click(chooser, FindChild(chooser, L"Button", L"Select"));
  EXPECT_TRUE(WaitUntilHidden(chooser, kWait));
  EXPECT_NE(WaitForChildText(pref, L"Static", L"Sound Notification 2", kWait), nullptr);
  EXPECT_EQ(ReadSetting(L"SoundIndex"), 1u);
  EXPECT_TRUE(IsWindowEnabled(pref));

  // With the file present, playing shows nothing (under Wine there is no device to hear it on).
  HWND play = FindChild(pref, L"Button", L"");
  ASSERT_NE(play, nullptr);
  Click(pref, play);
  EXPECT_EQ(WaitForMessageBox(L"Sound file missing", 1500, corvane.id()), nullptr);

  // A stored index that names no file.
  WriteSetting(L"SoundIndex", 5);
  pref = ShowPreferences(main, corvane.id());
  ASSERT_NE(pref, nullptr);
  EXPECT_NE(WaitForChildText(pref, L"Static", L"SoundNotification6", kWait), nullptr);
  Click(pref, FindChild(pref, L"Button", L""));
  HWND box = WaitForMessageBox(L"Sound file missing", kWait, corvane.id());
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(MessageBoxText(box), L"Sound file missing");
  Screenshot(box, "popup-blocker-sound-file-missing");
  ASSERT_TRUE(AnswerMessageBox(box, IDOK));

  SendMessageTimeoutW(main, WM_COMMAND, 9001, 0, SMTO_ABORTIFHUNG, kWait, nullptr);
  EXPECT_EQ(corvane.WaitForExit(kWait), 0u);
}

}  // namespace
}  // namespace e2e
