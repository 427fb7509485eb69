// The browser steps of a real cleaner thread on the Win32 layer, under Wine:
// real cookie and page entries committed to the URL cache, a keep-list file
// on disk, the protected-storage keys in the registry. What survives is read
// back with the raw system calls, not through the layer under test.
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "cleaner/CleanerThread.h"
#include "cleaner/ProtectedStorage.h"
#include "cookies/KeepList.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WideString.h"
#include "tests/support/CommitUrlCacheEntry.h"
#include "tests/support/UnixLinks.h"
#include "ui/Ui.h"

namespace {

using Names = std::set<std::string>;

// The run's end is not posted anywhere: the tests call Execute on a worker
// thread of their own, as Start would.
class NoUi : public ui::Ui {
 public:
  void Realize(ui::Form&) override {}
  void FormDestroyed(ui::Form&) override {}
  void FormVisibilityChanged(ui::Form&) override {}
  void RunModal(ui::Form&) override {}
  void BringToFront(ui::Form&) override {}
  void Repaint(ui::Form&) override {}
  ui::MessageResult ShowMessage(const std::string&, const std::string&, ui::MessageKind) override { return {}; }
  void PopupMenu(ui::Form&, ui::MenuItem&, ui::Point) override {}
  ui::Point CursorPos() override { return {}; }
  void PostToForm(ui::Form&, uint32_t, uintptr_t, intptr_t) override {}
  void TimerChanged(ui::Timer&) override {}
  void TimerDestroyed(ui::Timer&) override {}
  void Post(std::function<void()>) override {}
  bool PumpUntil(const std::function<bool()>& done, uint32_t) override { return done(); }
  void SetAppWindow(const std::string&, bool) override {}
  void RunMessageLoop() override {}
  void Terminate() override {}
};

// Every entry of every container, with the system's own calls.
Names AllEntries() {
  Names names;
  std::vector<char> buffer(1 << 16);
  auto* info = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
  DWORD size = static_cast<DWORD>(buffer.size());
  HANDLE find = FindFirstUrlCacheEntryA(nullptr, info, &size);
  if (!find) return names;
  do {
    names.insert(info->lpszSourceUrlName);
    size = static_cast<DWORD>(buffer.size());
  } while (FindNextUrlCacheEntryA(find, info, &size));
  FindCloseUrlCache(find);
  return names;
}

void ClearCache() {
  for (const std::string& name : AllEntries()) DeleteUrlCacheEntryA(name.c_str());
}

bool KeyExists(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

void MakeKey(HKEY root, const std::string& path) {
  HKEY key = nullptr;
  ASSERT_EQ(
      RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key, nullptr),
      ERROR_SUCCESS)
      << path;
  RegCloseKey(key);
}

class CookieStepsE2E : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearCache();
    DeleteFileW(platform::win32::Wide(cookies::KeepListPath(win32.platform)).c_str());
  }
  void TearDown() override { ClearCache(); }

  // Runs one cleaning on a worker thread, as a real run does.
  std::unique_ptr<cleaner::TUWHCleanerThrd> Run(void (*select)(cleaner::TUWHCleanerThrd&)) {
    auto thread = std::make_unique<cleaner::TUWHCleanerThrd>(win32.platform, ui);
    select(*thread);
    std::thread worker([&] { thread->Execute(); });
    worker.join();
    return thread;
  }

  void CommitSample() {
    for (const char* cookie :
         {"Cookie:user@kept.example/", "Cookie:user@KEPT.example/PATH/", "Cookie:user@sub.kept.example/",
          "Cookie:user@tracker.example/", "Cookie:user@ads.tracker.example/x/"}) {
      ASSERT_TRUE(testsupport::CommitUrlCacheEntry(cookie, COOKIE_CACHE_ENTRY | NORMAL_CACHE_ENTRY)) << cookie;
    }
    for (const char* page : {"http://kept.example/index.html", "http://tracker.example/pixel.gif"}) {
      ASSERT_TRUE(testsupport::CommitUrlCacheEntry(page, NORMAL_CACHE_ENTRY)) << page;
    }
    ASSERT_EQ(AllEntries().size(), 7u);
  }

  NoUi ui;
  platform::win32::Win32Platform win32;
};

TEST_F(CookieStepsE2E, CookieAndTypedUrlStepsLeaveExactlyTheKeptCookies) {
  CommitSample();
  ASSERT_TRUE(cookies::WriteKeepList(win32.platform, {"Kept.Example", "tracker.example ", "other.example"}));
  HKEY typed = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\TypedURLs", 0, nullptr, 0,
                            KEY_ALL_ACCESS, nullptr, &typed, nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(typed, "url1", 0, REG_SZ, reinterpret_cast<const BYTE*>("http://kept.example/"), 21);
  RegCloseKey(typed);

  auto run = Run([](cleaner::TUWHCleanerThrd& t) {
    t.Select("CookiesCleaner");
    t.Select("URLAddressBar");
  });
  EXPECT_TRUE(run->finished()) << run->failure();
  EXPECT_EQ(AllEntries(), (Names{"Cookie:user@kept.example/", "Cookie:user@KEPT.example/PATH/"}))
      << "letter case is ignored, subdomains and a blank-ended line keep nothing, pages are gone";
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer\\TypedURLs"));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, "Software\\Microsoft\\Internet Explorer"));
}

TEST_F(CookieStepsE2E, TypedUrlStepAloneLeavesEveryCookie) {
  CommitSample();
  auto run = Run([](cleaner::TUWHCleanerThrd& t) { t.Select("URLAddressBar"); });
  EXPECT_TRUE(run->finished());
  Names left = AllEntries();
  EXPECT_EQ(left.size(), 5u);
  for (const std::string& name : left) EXPECT_EQ(name.rfind("Cookie:", 0), 0u) << name;
}

TEST_F(CookieStepsE2E, WithoutAKeepListEveryCookieGoesAndNoFileIsMade) {
  CommitSample();
  auto run = Run([](cleaner::TUWHCleanerThrd& t) { t.Select("CookiesCleaner"); });
  EXPECT_TRUE(run->finished());
  EXPECT_EQ(AllEntries(), (Names{"http://kept.example/index.html", "http://tracker.example/pixel.gif"}));
  std::wstring path = platform::win32::Wide(cookies::KeepListPath(win32.platform));
  EXPECT_EQ(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
  std::wstring folder = path.substr(0, path.rfind(L'\\'));
  EXPECT_NE(GetFileAttributesW(folder.c_str()) & FILE_ATTRIBUTE_DIRECTORY, 0u);
}

TEST_F(CookieStepsE2E, AKeepListThatCannotBeReadEndsTheRunBeforeAnyCookieGoes) {
  CommitSample();
  ASSERT_TRUE(cookies::WriteKeepList(win32.platform, {"kept.example"}));
  // Another program holds the file open without sharing it.
  std::wstring path = platform::win32::Wide(cookies::KeepListPath(win32.platform));
  HANDLE held = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  auto run = Run([](cleaner::TUWHCleanerThrd& t) {
    t.Select("CookiesCleaner");
    t.Select("URLAddressBar");
  });
  CloseHandle(held);
  EXPECT_FALSE(run->finished());
  EXPECT_NE(run->failure().find("cannot be read"), std::string::npos) << run->failure();
  EXPECT_EQ(AllEntries().size(), 7u);
}

// Every user may write in "Settings". A link put in the place of the folder
// or the file (a Unix symbolic link here), or a second name given to the
// file, must not make the program read or write another file.
TEST_F(CookieStepsE2E, AKeepListThroughAPlantedLinkIsNeitherReadNorWritten) {
  CommitSample();
  const std::string path = cookies::KeepListPath(win32.platform);
  const std::string settings = path.substr(0, path.rfind('\\'));
  const std::string elsewhere = "C:\\users\\other";
  const std::string precious = elsewhere + "\\SafeCookies.txt";
  ASSERT_TRUE(cookies::WriteKeepList(win32.platform, {"kept.example"}));  // makes the folder
  CreateDirectoryW(platform::win32::Wide(elsewhere).c_str(), nullptr);
  auto expectNothingThrough = [&](const char* how) {
    SCOPED_TRACE(how);
    HANDLE file = CreateFileW(platform::win32::Wide(precious).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    WriteFile(file, "secret.example\r\n", 16, &written, nullptr);
    CloseHandle(file);
    EXPECT_THROW(cookies::ReadKeepList(win32.platform), cookies::KeepListError);
    std::string why;
    EXPECT_FALSE(cookies::WriteKeepList(win32.platform, {"a.example"}, &why));
    EXPECT_NE(why.find("link"), std::string::npos) << why;
    auto run = Run([](cleaner::TUWHCleanerThrd& t) { t.Select("CookiesCleaner"); });
    EXPECT_FALSE(run->finished());
    EXPECT_NE(run->failure().find("link"), std::string::npos) << run->failure();
    EXPECT_EQ(AllEntries().size(), 7u) << "no cookie went";
    std::vector<std::string> names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW(platform::win32::Wide(elsewhere + "\\*").c_str(), &data);
    ASSERT_NE(find, INVALID_HANDLE_VALUE);
    do names.push_back(platform::win32::Utf8(data.cFileName));
    while (FindNextFileW(find, &data));
    FindClose(find);
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{".", "..", "SafeCookies.txt"})) << "not even a temporary file";
    char bytes[64] = {};
    HANDLE read = CreateFileW(platform::win32::Wide(precious).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, 0, nullptr);
    ReadFile(read, bytes, sizeof bytes, &written, nullptr);
    CloseHandle(read);
    EXPECT_EQ(std::string(bytes, written), "secret.example\r\n");
  };

  // The folder a link to another folder.
  ASSERT_TRUE(MoveFileW(platform::win32::Wide(settings).c_str(), platform::win32::Wide(settings + ".own").c_str()));
  ASSERT_TRUE(testsupport::MakeUnixLink(settings, elsewhere));
  expectNothingThrough("Settings is a link");
  ASSERT_TRUE(testsupport::RemoveUnixPath(settings));
  ASSERT_TRUE(MoveFileW(platform::win32::Wide(settings + ".own").c_str(), platform::win32::Wide(settings).c_str()));

  // The file a link to another file: Wine shows it as a plain file, and only
  // where an opened handle leads tells it apart.
  ASSERT_TRUE(DeleteFileW(platform::win32::Wide(path).c_str()));
  ASSERT_TRUE(testsupport::MakeUnixLink(path, precious));
  expectNothingThrough("SafeCookies.txt is a link");
  ASSERT_TRUE(testsupport::RemoveUnixPath(path));

  // The file a second name of another file.
  ASSERT_TRUE(CreateHardLinkW(platform::win32::Wide(path).c_str(), platform::win32::Wide(precious).c_str(), nullptr));
  expectNothingThrough("SafeCookies.txt is a hard link");
  ASSERT_TRUE(DeleteFileW(platform::win32::Wide(path).c_str()));

  ASSERT_TRUE(cookies::WriteKeepList(win32.platform, {"kept.example"})) << "the folder of its own works again";
  EXPECT_EQ(cookies::ReadKeepList(win32.platform), std::vector<std::string>{"kept.example"});
}

TEST_F(CookieStepsE2E, AReaderNeverSeesHalfAKeepListWhileItIsSaved) {
  std::vector<std::string> small, large;
  for (int i = 0; i < 1000; ++i) small.push_back("site" + std::to_string(i) + ".example");
  for (int i = 0; i < 1500; ++i) large.push_back("other" + std::to_string(i) + ".example");
  ASSERT_TRUE(cookies::WriteKeepList(win32.platform, small));
  std::atomic<bool> done{false};
  int saved = 0;
  std::thread writer([&] {
    for (int i = 0; i < 60; ++i) {
      std::string why;
      bool ok = cookies::WriteKeepList(win32.platform, i % 2 ? small : large, &why);
      saved += ok;
      if (!ok) std::printf("%s\n", why.c_str());
    }
    done = true;
  });
  int reads = 0, whole = 0;
  while (!done || reads == 0) {
    std::vector<std::string> seen = cookies::ReadKeepList(win32.platform);
    ++reads;
    whole += seen == small || seen == large;
    Sleep(2);  // readers come and go; none holds the file for ever
  }
  writer.join();
  EXPECT_EQ(whole, reads) << "every read saw one whole list";
  EXPECT_EQ(saved, 60) << "a save that meets a reader waits and tries again";
  std::printf("%d reads during %d saves, all whole\n", reads, saved);
}

TEST_F(CookieStepsE2E, ProtectedStorageStepOpensAndDeletesTheDataKeyAndRestoresTheKeysLists) {
  std::string sid;
  ASSERT_TRUE(cleaner::GetCurrentUserSid(win32.platform.security, &sid));
  std::string user;
  ASSERT_TRUE(win32.platform.security.LogonUserName(260, &user));
  const std::string provider = "Software\\Microsoft\\Protected Storage System Provider\\";
  const std::string top = provider + cleaner::SidToText(sid);
  const std::string dataKey = top + "\\Data\\e161255a-37c3-11d2-bcaa-00c04fd929db";
  const std::string machineKey = provider + user + "\\Data\\e161255a-37c3-11d2-bcaa-00c04fd929db";
  MakeKey(HKEY_CURRENT_USER, dataKey + "\\level1\\level2");
  MakeKey(HKEY_LOCAL_MACHINE, machineKey);
  std::string before, dataBefore;
  ASSERT_TRUE(cleaner::GetKeyDacl(win32.platform.security, platform::RegRoot::CurrentUser, top, &before));
  ASSERT_TRUE(
      cleaner::GetKeyDacl(win32.platform.security, platform::RegRoot::CurrentUser, top + "\\Data", &dataBefore));

  auto run = Run([](cleaner::TUWHCleanerThrd& t) { t.Select("AutoComplete"); });
  EXPECT_TRUE(run->finished());
  EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, dataKey));
  EXPECT_TRUE(KeyExists(HKEY_CURRENT_USER, top + "\\Data"));
  EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, machineKey));
  std::string after, data;
  ASSERT_TRUE(cleaner::GetKeyDacl(win32.platform.security, platform::RegRoot::CurrentUser, top, &after));
  EXPECT_EQ(after, before) << "the top key has its old list again";
  ASSERT_TRUE(cleaner::GetKeyDacl(win32.platform.security, platform::RegRoot::CurrentUser, top + "\\Data", &data));
  EXPECT_EQ(data, dataBefore) << "and so has \\Data: no key keeps the opened list";
  SHDeleteKeyA(HKEY_CURRENT_USER, top.c_str());
  SHDeleteKeyA(HKEY_LOCAL_MACHINE, (provider + user).c_str());
}

TEST_F(CookieStepsE2E, HistoryAndFavoritesStepsPurgeTheRealFolders) {
  wchar_t history[MAX_PATH], favorites[MAX_PATH];
  ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, history, CSIDL_HISTORY, TRUE));
  ASSERT_TRUE(SHGetSpecialFolderPathW(nullptr, favorites, CSIDL_FAVORITES, TRUE));
  std::wstring h = history, f = favorites;
  CreateDirectoryW((h + L"\\History.Test").c_str(), nullptr);
  std::wstring index = h + L"\\History.Test\\index.dat";
  HANDLE file = CreateFileW(index.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  std::string bytes(1000, 'h');
  DWORD written = 0;
  WriteFile(file, bytes.data(), 1000, &written, nullptr);
  CloseHandle(file);
  // Held open by "the browser", sharing reading and writing but not deletion.
  HANDLE held = CreateFileW(index.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  CreateDirectoryW((f + L"\\Links").c_str(), nullptr);
  CloseHandle(CreateFileW((f + L"\\Links\\site.url").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                          FILE_ATTRIBUTE_NORMAL, nullptr));

  auto run = Run([](cleaner::TUWHCleanerThrd& t) {
    t.Select("InternetHistoryFiles");
    t.Select("FavoritesCleaner");
  });
  EXPECT_TRUE(run->finished());
  char check[1000] = {};
  DWORD got = 0;
  SetFilePointer(held, 0, nullptr, FILE_BEGIN);
  ASSERT_TRUE(ReadFile(held, check, 1000, &got, nullptr));
  CloseHandle(held);
  EXPECT_EQ(got, 1000u);
  EXPECT_EQ(std::string(check, 64), std::string(64, 'h'));
  EXPECT_EQ(std::string(check + 64, 936), std::string(936, '\0')) << "wiped before the failed deletion";
  EXPECT_EQ(GetFileAttributesW((f + L"\\Links").c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_NE(GetFileAttributesW(f.c_str()), INVALID_FILE_ATTRIBUTES) << "the Favorites folder stays";
  DeleteFileW(index.c_str());
}

}  // namespace
