// The temporary-folder, recent-documents and favorites steps on the real
// Win32 layer under Wine: a prepared tree (desktop.ini at several depths,
// read-only files, a non-ANSI name, a path past 260 characters, a file held
// open, jump lists beside the recent items, and the Unix symbolic links
// run.sh made) is cleaned by a TUWHCleanerThrd and checked file by file.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "cleaner/CleanerThread.h"
#include "platform/sim/SimClock.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WideString.h"
#include "ui/headless/HeadlessUi.h"

namespace {

using platform::win32::Wide;
using platform::win32::WidePath;

std::wstring TempFolder() {
  wchar_t buffer[MAX_PATH + 1];
  DWORD n = GetTempPathW(MAX_PATH, buffer);
  std::wstring path(buffer, n);
  if (!path.empty() && path.back() == L'\\') path.pop_back();
  return path;
}

std::wstring SpecialFolder(int csidl) {
  wchar_t buffer[MAX_PATH + 1] = {};
  SHGetSpecialFolderPathW(nullptr, buffer, csidl, TRUE);
  return buffer;
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(WidePath(platform::win32::Utf8(path)).c_str()) != INVALID_FILE_ATTRIBUTES;
}

DWORD Attributes(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

void MakeFile(const std::wstring& path, const std::string& text, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
  HANDLE h = CreateFileW(WidePath(platform::win32::Utf8(path)).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                         FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << platform::win32::Utf8(path);
  DWORD written = 0;
  WriteFile(h, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(h);
  ASSERT_TRUE(SetFileAttributesW(WidePath(platform::win32::Utf8(path)).c_str(), attributes));
}

void MakeFolder(const std::wstring& path) {
  ASSERT_TRUE(CreateDirectoryW(WidePath(platform::win32::Utf8(path)).c_str(), nullptr) ||
              GetLastError() == ERROR_ALREADY_EXISTS)
      << platform::win32::Utf8(path);
}

std::string ReadText(const std::wstring& path) {
  HANDLE h =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return "<missing>";
  char buffer[256];
  DWORD got = 0;
  ReadFile(h, buffer, sizeof buffer, &got, nullptr);
  CloseHandle(h);
  return std::string(buffer, got);
}

std::vector<std::wstring> Names(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return names;
}

// Wine answers a path in the \\?\ form as it is, so a name that ends in a
// dot or a blank can be made and checked.
std::wstring Exact(const std::wstring& path) { return WidePath(platform::win32::Utf8(path)); }

TEST(CleanerE2E, TemporaryFolderRecentDocumentsAndFavoritesAreCleanedFileByFile) {
  const std::wstring temp = TempFolder();
  const std::wstring recent = SpecialFolder(CSIDL_RECENT);
  const std::wstring favorites = SpecialFolder(CSIDL_FAVORITES);
  ASSERT_FALSE(recent.empty());
  ASSERT_FALSE(favorites.empty());
  // The links run.sh placed: listed as directories that are reparse points.
  ASSERT_EQ(Attributes(temp + L"\\links\\to-precious") & 0x410, 0x410u) << "run.sh makes the link";
  ASSERT_EQ(Attributes(temp + L"\\to-precious-top") & 0x410, 0x410u);
  ASSERT_EQ(ReadText(L"C:\\precious\\thesis.doc"), "thesis");

  // The temporary tree.
  MakeFile(temp + L"\\desktop.ini", "top");
  MakeFolder(temp + L"\\a");
  MakeFolder(temp + L"\\a\\b");
  MakeFile(temp + L"\\a\\Desktop.ini", "a");
  MakeFile(temp + L"\\a\\b\\desktop.ini", "b");
  MakeFile(temp + L"\\read-only.txt", "ro", FILE_ATTRIBUTE_READONLY);
  MakeFile(temp + L"\\a\\b\\hidden-ro.txt", "ro", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  const std::wstring nonAnsi = L"\x0436\x0443\x0440\x043D\x0430\x043B \x6587\x4EF6 \x00E9t\x00E9";
  MakeFolder(temp + L"\\" + nonAnsi);
  MakeFile(temp + L"\\" + nonAnsi + L"\\" + nonAnsi + L".txt", "x");
  std::wstring deep = temp + L"\\long";
  MakeFolder(deep);
  while (deep.size() < 300) {
    deep += L"\\a-rather-long-folder-name";
    MakeFolder(deep);
  }
  MakeFile(deep + L"\\deep.txt", "deep", FILE_ATTRIBUTE_READONLY);
  ASSERT_TRUE(Exists(deep + L"\\deep.txt"));
  MakeFolder(temp + L"\\busy");
  MakeFile(temp + L"\\busy\\held.log", "in use");
  HANDLE held = CreateFileW((temp + L"\\busy\\held.log").c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);

  // The recent documents: the recent items' shortcuts go, read-only ones
  // too. Every program's jump list and Quick Access's pins beside them stay,
  // with whatever else the folder holds.
  MakeFile(recent + L"\\desktop.ini", "recent");
  MakeFolder(recent + L"\\AutomaticDestinations");
  MakeFile(recent + L"\\AutomaticDestinations\\f01b4d95cf55d32a.automaticDestinations-ms", "pins");
  MakeFolder(recent + L"\\CustomDestinations");
  MakeFile(recent + L"\\CustomDestinations\\5d696d521de238c3.customDestinations-ms", "tasks");
  MakeFile(recent + L"\\report.doc.lnk", "lnk");
  MakeFile(recent + L"\\locked.lnk", "lnk", FILE_ATTRIBUTE_READONLY);
  MakeFile(recent + L"\\notes.txt", "not a shortcut");

  // The favorites: desktop.ini stays at each depth, with its folder. Names
  // that differ from it by a final dot or blank are other entries, deleted
  // exactly as listed (the system would otherwise strip that dot or blank
  // and reach the desktop.ini that stays).
  MakeFile(favorites + L"\\desktop.ini", "favorites");
  MakeFile(favorites + L"\\desktop.ini.", "dot");
  MakeFile(favorites + L"\\desktop.ini ", "blank");
  MakeFolder(favorites + L"\\folder.");
  MakeFile(favorites + L"\\folder.\\x.url", "url");
  MakeFile(favorites + L"\\news.url", "url");
  MakeFolder(favorites + L"\\sub");
  MakeFile(favorites + L"\\sub\\desktop.ini", "sub");
  MakeFile(favorites + L"\\sub\\x.url", "url");
  HKEY key;
  ASSERT_EQ(
      RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs\\.doc", 0,
                      nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
      ERROR_SUCCESS);
  RegSetValueExW(key, L"0", 0, REG_BINARY, reinterpret_cast<const BYTE*>("abc"), 3);
  RegCloseKey(key);

  // The run, on the real platform, its end delivered as on the UI thread.
  platform::win32::Win32Platform win32;
  platform::sim::SimClock clock;
  ui::headless::HeadlessUi ui{clock};
  cleaner::TUWHCleanerThrd thread(win32.platform, ui);
  thread.Select("WindowsTempFiles");
  thread.Select("RecentDocs");
  thread.Select("FavoritesCleaner");
  int terminations = 0;
  thread.OnTerminate = [&](cleaner::TUWHCleanerThrd&) { ++terminations; };
  thread.Start();
  ASSERT_TRUE(ui.WaitForPosted(60000));
  ui.RunPosted();
  EXPECT_EQ(terminations, 1);
  EXPECT_TRUE(thread.finished()) << thread.failure();
  std::vector<std::string> ran;
  for (size_t index : thread.cleanersRun()) ran.push_back(cleaner::kCleaners[index].valueName);
  EXPECT_EQ(ran, (std::vector<std::string>{"FavoritesCleaner", "WindowsTempFiles", "RecentDocs"}));

  // The temporary folder: only the held file and its folder are left, and
  // the links. Windows removes a link; Wine cannot remove a Unix symbolic
  // link without reaching its target, so there the links stay as they were
  // (the links to files, which Wine lists as plain files, too). A read-only
  // file with another name outside stays read-only, so it cannot go.
  EXPECT_TRUE(Exists(temp));
  EXPECT_EQ(Attributes(temp + L"\\signed.pdf") & FILE_ATTRIBUTE_READONLY, static_cast<DWORD>(FILE_ATTRIBUTE_READONLY));
  for (const std::wstring& name : Names(temp)) {
    if (name == L"busy" || name == L"notes-link.txt" || name == L"signed.pdf") continue;
    if (name == L"links") {
      std::vector<std::wstring> links = Names(temp + L"\\links");
      std::sort(links.begin(), links.end());
      EXPECT_EQ(links, (std::vector<std::wstring>{L"thesis.doc", L"to-precious"}));
      EXPECT_EQ(Attributes(temp + L"\\links\\to-precious") & 0x410, 0x410u);
      continue;
    }
    EXPECT_TRUE(name == L"to-precious-top" || name == L"to-empty") << platform::win32::Utf8(name);
    EXPECT_EQ(Attributes(temp + L"\\" + name) & 0x410, 0x410u) << "still a link";
  }
  EXPECT_TRUE(Exists(temp + L"\\notes-link.txt")) << "a link to a file left alone";
  EXPECT_EQ(Names(temp + L"\\busy"), std::vector<std::wstring>{L"held.log"});
  EXPECT_FALSE(Exists(temp + L"\\desktop.ini"));
  EXPECT_FALSE(Exists(temp + L"\\a"));
  EXPECT_FALSE(Exists(temp + L"\\read-only.txt"));
  EXPECT_FALSE(Exists(temp + L"\\" + nonAnsi));
  EXPECT_FALSE(Exists(deep + L"\\deep.txt"));
  EXPECT_FALSE(Exists(temp + L"\\long"));
  CloseHandle(held);

  // The links' target is whole.
  EXPECT_EQ(ReadText(L"C:\\precious\\thesis.doc"), "thesis");
  EXPECT_EQ(ReadText(L"C:\\precious\\inner\\notes.txt"), "notes");
  EXPECT_EQ(ReadText(L"C:\\precious\\desktop.ini"), "[.ShellClassInfo]");
  EXPECT_EQ(Attributes(L"C:\\empty-target"), static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY))
      << "an empty target folder stays too";

  // Recent documents: the shortcuts only.
  std::vector<std::wstring> left = Names(recent);
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left,
            (std::vector<std::wstring>{L"AutomaticDestinations", L"CustomDestinations", L"desktop.ini", L"notes.txt"}));
  EXPECT_EQ(ReadText(recent + L"\\desktop.ini"), "recent");
  EXPECT_EQ(ReadText(recent + L"\\AutomaticDestinations\\f01b4d95cf55d32a.automaticDestinations-ms"), "pins");
  EXPECT_EQ(ReadText(recent + L"\\CustomDestinations\\5d696d521de238c3.customDestinations-ms"), "tasks");

  // Favorites: every desktop.ini and the folder holding one stay.
  EXPECT_EQ(ReadText(favorites + L"\\desktop.ini"), "favorites");
  EXPECT_EQ(Names(favorites + L"\\sub"), std::vector<std::wstring>{L"desktop.ini"});
  EXPECT_FALSE(Exists(favorites + L"\\news.url"));
  EXPECT_EQ(GetFileAttributesW(Exact(favorites + L"\\desktop.ini.").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesW(Exact(favorites + L"\\desktop.ini ").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(GetFileAttributesW(Exact(favorites + L"\\folder.").c_str()), INVALID_FILE_ATTRIBUTES);
  HKEY gone;
  EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs", 0,
                          KEY_READ, &gone),
            ERROR_FILE_NOT_FOUND);
}

// Links planted by another user below all users' application data, and one
// to a file in the Windows folder (run.sh makes them): the application steps
// delete nothing behind them, and still clean what is their own.
TEST(CleanerE2E, ApplicationStepsDeleteNothingBehindLinksPlantedInProgramData) {
  wchar_t data[MAX_PATH + 1] = {};
  ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, data, CSIDL_COMMON_APPDATA, FALSE));
  const std::wstring common = data;
  ASSERT_EQ(Attributes(common + L"\\Microsoft\\Media Index") & 0x410, 0x410u) << "run.sh plants the links";
  ASSERT_EQ(ReadText(common + L"\\RealRealOne Player\\history\\played.rpl"), "mine");

  platform::win32::Win32Platform win32;
  platform::sim::SimClock clock;
  ui::headless::HeadlessUi ui{clock};
  cleaner::TUWHCleanerThrd thread(win32.platform, ui);
  thread.Select("MSWindowsMediaPlayer");
  thread.Select("ACDSee");
  thread.Select("MSWord");
  thread.Select("RealOne");
  thread.Start();
  ASSERT_TRUE(ui.WaitForPosted(60000));
  ui.RunPosted();
  EXPECT_TRUE(thread.finished()) << thread.failure();

  const std::wstring other = L"C:\\users\\other";
  for (const wchar_t* kept : {L"\\media\\library.wmdb", L"\\office\\Recent\\letter.doc", L"\\acd\\ACDSee\\imageDB.ddf",
                              L"\\history\\played.rpl", L"\\history\\urls.ini"}) {
    EXPECT_EQ(ReadText(other + kept), "mine") << platform::win32::Utf8(kept);
  }
  EXPECT_FALSE(Exists(common + L"\\RealRealOne Player\\urls.ini")) << "the step's own file goes";

  // Each planted link is told under its cleaner: what the Win32 layer
  // answers for a Unix symbolic link met on the way is a refused link.
  std::vector<std::string> told;
  for (const cleaner::StepSkip& skip : thread.skips()) {
    if (skip.link) told.push_back(std::string(cleaner::kCleaners[skip.cleaner].valueName) + " " + skip.what);
  }
  const std::string base = platform::win32::Utf8(common);
  EXPECT_EQ(told, (std::vector<std::string>{"MSWindowsMediaPlayer " + base + "\\Microsoft\\Media Index",
                                            "ACDSee " + base + "\\Systems", "MSWord " + base + "\\Microsoft\\Office",
                                            "RealOne " + base + "\\RealRealOne Player\\history"}));
}

}  // namespace
