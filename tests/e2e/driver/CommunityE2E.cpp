// The community cleaners of the real program: Discord, Zoom, Steam, OBS and
// 7-Zip laid out as the Winapp2 project's entries describe them; the
// definitions fetched with "Get the latest" from a server on this computer;
// the five chosen in the window; a cleaning takes their caches, logs and
// histories and keeps their settings, databases with their journals, and
// the excluded files, with no emptied folder left behind.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Driver.h"
#include "Person.h"
#include "Tray.h"
// After Driver.h, which brings <windows.h>.
#include <commctrl.h>
#include <shlobj.h>

namespace e2e {
namespace {

constexpr DWORD kWait = 30000;
constexpr wchar_t kCommunityKey[] = L"SOFTWARE\\Tessaly\\Corvane\\Version2\\Settings\\Community";

void Put(const std::wstring& path, const char* text = "trace") { ASSERT_TRUE(WriteFileText(path, text)); }

void PutValue(const wchar_t* key, const wchar_t* name) {
  HKEY h = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr), ERROR_SUCCESS);
  const wchar_t data[] = L"C:\\Users\\me\\secret";
  RegSetValueExW(h, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(data), sizeof data);
  RegCloseKey(h);
}

bool HasValue(const wchar_t* key, const wchar_t* name) {
  return RegGetValueW(HKEY_CURRENT_USER, key, name, RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

std::optional<DWORD> Chosen(const wchar_t* name) {
  DWORD value = 0, size = sizeof value;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, kCommunityKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size) !=
      ERROR_SUCCESS) {
    return std::nullopt;
  }
  return value;
}

// The first line of the list that has a check box, ticked with the keyboard.
void TickFirstEntry(HWND list) {
  SetFocus(list);
  PostMessageW(list, WM_KEYDOWN, VK_HOME, 0);
  PostMessageW(list, WM_KEYDOWN, VK_DOWN, 0);
  PostMessageW(list, WM_KEYDOWN, VK_SPACE, 0);
  PostMessageW(list, WM_KEYUP, VK_SPACE, 0);
}

TEST(CommunityE2E, FiveApplicationsChosenFromTheLatestDefinitionsAreCleanedAndTheirKeepsStay) {
  const std::wstring data = L"Z:" + std::wstring(CORVANE_WINAPP2_DIR L"/Winapp2.ini");
  std::wstring shared(data);
  for (wchar_t& c : shared) c = c == L'/' ? L'\\' : c;
  if (!Exists(shared)) GTEST_SKIP() << "the Winapp2 project's file is not in " << CORVANE_WINAPP2_DIR;
  const std::wstring roaming = KnownFolder(CSIDL_APPDATA), local = KnownFolder(CSIDL_LOCAL_APPDATA);
  const std::wstring x86 = KnownFolder(CSIDL_PROGRAM_FILESX86);
  // Discord: Chromium inside, its profile in its data folder.
  const std::wstring discord = roaming + L"\\discord";
  for (const wchar_t* file : {L"\\Cache\\Cache_Data\\f_000001", L"\\Code Cache\\js\\index", L"\\GPUCache\\data_0",
                              L"\\LOG", L"\\Network Persistent State", L"\\History", L"\\History-journal",
                              L"\\Local State", L"\\Preferences", L"\\Crashpad\\reports\\dump.dmp"}) {
    Put(discord + file);
  }
  PutValue(L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Discord", L"DisplayName");
  const std::wstring zoom = roaming + L"\\Zoom";
  for (const wchar_t* file : {L"\\Logs\\zoom_stdout_stderr.log", L"\\Logs\\old\\zoom.log", L"\\data\\zoomus.enc.db",
                              L"\\data\\zoomus.enc.db-journal", L"\\data\\stale.db-wal", L"\\data\\Zoom.us.ini"}) {
    Put(zoom + file);
  }
  const std::wstring obs = roaming + L"\\obs-studio";
  for (const wchar_t* file :
       {L"\\logs\\2026-07-30.txt", L"\\crashes\\crash.txt", L"\\global.ini",
        L"\\plugin_config\\obs-browser\\Cache\\index", L"\\plugin_config\\obs-browser\\LocalPrefs.json"}) {
    Put(obs + file);
  }
  const std::wstring steam = x86 + L"\\Steam";
  for (const wchar_t* file : {L"\\logs\\content_log.txt", L"\\appcache\\httpcache\\00\\0a", L"\\config\\config.vdf",
                              L"\\steam.log", L"\\userdata\\123\\760\\remote\\shot.jpg"}) {
    Put(steam + file);
  }
  CreateDirectoryW((steam + L"\\userdata\\123\\7").c_str(), nullptr);
  PutValue(L"Software\\Valve\\Steam", L"SteamPath");
  PutValue(L"Software\\7-Zip\\Extraction", L"PathHistory");
  PutValue(L"Software\\7-Zip\\FM", L"FolderHistory");
  PutValue(L"Software\\7-Zip\\FM", L"Columns");

  // The definitions come from a server on this computer; it ends by itself.
  const unsigned port = 20000 + GetCurrentProcessId() % 20000;
  ASSERT_TRUE(StartUnixProgram(L"/usr/bin/timeout 180 /usr/bin/python3 -m http.server " + std::to_wstring(port) +
                               L" --bind 127.0.0.1 --directory " CORVANE_WINAPP2_DIR));
  const std::wstring url = L"http://127.0.0.1:" + std::to_wstring(port) + L"/Winapp2.ini";
  HKEY settings = nullptr;
  ASSERT_EQ(
      RegCreateKeyExW(HKEY_LOCAL_MACHINE, kSettingsKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &settings, nullptr),
      ERROR_SUCCESS);
  RegSetValueExW(settings, L"CommunityCleanersUrl", 0, REG_SZ, reinterpret_cast<const BYTE*>(url.c_str()),
                 static_cast<DWORD>((url.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(settings);
  Pause(1000);  // the server's start

  Process corvane = StartCorvane();
  if (HWND box = WaitForMessageBox(L"An error has occurred while trying to read", 4000, corvane.id())) {
    AnswerMessageBox(box, IDOK);
  }
  HWND main = WaitForWindow(L"TCorvaneMain", L"Preferences", kWait, corvane.id());
  ASSERT_NE(main, nullptr);
  WaitPastSplash(corvane.id(), kWait);
  ASSERT_TRUE(ChooseTrayMenuEntry(main, L"Applications History Cleaner", kWait));
  HWND hc = WaitForWindow(L"THistoryCleanerPref", L"History Cleaner", kWait, corvane.id());
  ASSERT_TRUE(WaitUntilVisible(hc, kWait));
  HWND more = FindChild(hc, L"Button", L"More applications\u2026");
  ASSERT_NE(more, nullptr);
  PostClick(more);
  HWND window = WaitForWindow(L"TCommunityCleaners", L"Community Cleaners", kWait, corvane.id());
  ASSERT_TRUE(WaitUntilVisible(window, kWait));
  PostClick(FindChild(window, L"Button", L"Get the latest"));
  HWND saved = WaitForMessageBox(L"The latest definitions were saved", 60000, corvane.id());
  ASSERT_NE(saved, nullptr) << "no download";
  EXPECT_NE(MessageBoxText(saved).find(L"Version: 260730, 4067 entries"), std::wstring::npos);
  AnswerMessageBox(saved, IDOK);
  EXPECT_TRUE(Exists(roaming + L"\\Corvane\\Cleaners\\winapp2.ini"));

  HWND filter = FindWindowExW(window, nullptr, L"Edit", nullptr);
  HWND list = FindWindowExW(window, nullptr, WC_LISTVIEWW, nullptr);
  ASSERT_TRUE(filter && list);
  for (const wchar_t* name : {L"Discord", L"Zoom", L"OBS Studio", L"Steam", L"7-Zip"}) {
    SendMessageW(filter, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(name));
    ASSERT_TRUE(Settled(window));
    TickFirstEntry(list);
    EXPECT_TRUE(WaitUntil([&] { return Chosen(name) == 1u; }, kWait))
        << "not chosen: " << std::string(name, name + wcslen(name));
  }
  SendMessageW(filter, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L""));
  ASSERT_TRUE(Settled(window));
  Pause(500);  // its repainting
  Screenshot(window, "community-cleaners");

  // A cleaning from the command line, beside the tray program.
  Process clean(L"\"" + BinFolder() + L"corvane.exe\" /clean");
  std::optional<DWORD> code = clean.WaitForExit(120000);
  ASSERT_TRUE(code.has_value());
  EXPECT_EQ(*code, 0u);
  for (const std::wstring& gone :
       {discord + L"\\Cache", discord + L"\\Code Cache", discord + L"\\GPUCache", discord + L"\\LOG",
        discord + L"\\Network Persistent State", discord + L"\\Crashpad\\reports\\dump.dmp",
        zoom + L"\\Logs\\zoom_stdout_stderr.log", zoom + L"\\Logs\\old\\zoom.log", zoom + L"\\data\\stale.db-wal",
        obs + L"\\logs\\2026-07-30.txt", obs + L"\\crashes\\crash.txt", obs + L"\\plugin_config\\obs-browser\\Cache",
        steam + L"\\logs\\content_log.txt", steam + L"\\appcache\\httpcache", steam + L"\\steam.log",
        steam + L"\\userdata\\123\\7"}) {
    EXPECT_FALSE(Exists(gone)) << "still there: " << std::string(gone.begin(), gone.end());
  }
  for (const std::wstring& kept :
       {discord + L"\\History", discord + L"\\History-journal", discord + L"\\Local State", discord + L"\\Preferences",
        zoom + L"\\data\\zoomus.enc.db", zoom + L"\\data\\zoomus.enc.db-journal", zoom + L"\\data\\Zoom.us.ini",
        obs + L"\\global.ini", obs + L"\\plugin_config\\obs-browser\\LocalPrefs.json", steam + L"\\config\\config.vdf",
        steam + L"\\userdata\\123\\760\\remote\\shot.jpg"}) {
    EXPECT_TRUE(Exists(kept)) << "removed: " << std::string(kept.begin(), kept.end());
  }
  EXPECT_FALSE(HasValue(L"Software\\7-Zip\\Extraction", L"PathHistory"));
  EXPECT_FALSE(HasValue(L"Software\\7-Zip\\FM", L"FolderHistory"));
  EXPECT_TRUE(HasValue(L"Software\\7-Zip\\FM", L"Columns"));

  SendMessageTimeoutW(main, WM_COMMAND, 9001, 0, SMTO_ABORTIFHUNG, kWait, nullptr);
  corvane.WaitForExit(kWait);
}

}  // namespace
}  // namespace e2e
