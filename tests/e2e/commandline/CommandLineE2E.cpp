// corvane.exe and corvane.com from the command line, under Wine with no
// display: a preview removes nothing and lists what is there with its sizes,
// a cleaning removes exactly that (exit 0) and keeps its report, a cleaning
// while another holds the right to clean is refused at once (exit 3), a bad
// command line prints the usage (exit 2); output goes to a file, a pipe and
// through cmd, which finds corvane.com first.
#include <windows.h>
#include <sddl.h>
#include <shlobj.h>
#include <wininet.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/support/CommitUrlCacheEntry.h"

namespace {

constexpr DWORD kRunWaitMs = 120000;
constexpr wchar_t kSettingsKey[] = L"SOFTWARE\\Tessaly\\Corvane\\Version2\\Settings";
constexpr char kBom[] = "\xEF\xBB\xBF";

std::string Utf8(const std::wstring& text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
  return out;
}

// The folder of this program, where run.sh put corvane.exe and corvane.com.
std::wstring AppFolder() {
  wchar_t path[MAX_PATH];
  std::wstring folder(path, GetModuleFileNameW(nullptr, path, MAX_PATH));
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}

std::wstring TempFolder() {
  wchar_t path[MAX_PATH];
  return std::wstring(path, GetTempPathW(MAX_PATH, path));
}

std::wstring LastRunReport() {
  wchar_t local[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, local);
  return std::wstring(local) + L"\\Corvane\\last-run.txt";
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::string ReadFileBytes(const std::wstring& path) {
  HANDLE file =
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return bytes;
}

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << Utf8(path);
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
}

void SetValue(HKEY root, const wchar_t* key, const wchar_t* name, DWORD type, const void* data, DWORD size) {
  HKEY h = nullptr;
  ASSERT_EQ(RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr), ERROR_SUCCESS);
  RegSetValueExW(h, name, 0, type, static_cast<const BYTE*>(data), size);
  RegCloseKey(h);
}

void SetSwitch(const wchar_t* name, DWORD on) { SetValue(HKEY_LOCAL_MACHINE, kSettingsKey, name, REG_DWORD, &on, 4); }

bool HasValue(HKEY root, const wchar_t* key, const wchar_t* name) {
  return RegGetValueW(root, key, name, RRF_RT_ANY, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool HasCookie(const std::string& sourceName) {
  char buffer[8192];
  DWORD size = sizeof buffer;
  return GetUrlCacheEntryInfoA(sourceName.c_str(), reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer), &size);
}

struct Result {
  DWORD exitCode = 0xFFFFFFFF;
  std::string output;
};

// Runs a command line from the application folder with its standard output
// and error sent to a pipe, or to a file as "> file" does; waits for its end.
Result RunCommand(std::wstring commandLine, bool pipe = false) {
  Result result;
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  const std::wstring outFile = AppFolder() + L"output.txt";
  HANDLE read = nullptr, write = nullptr;
  if (pipe) {
    if (!CreatePipe(&read, &write, &inherit, 0)) return result;
    SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  } else {
    write = CreateFileW(outFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = startup.hStdError = write;
  PROCESS_INFORMATION started{};
  BOOL ok = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, AppFolder().c_str(),
                           &startup, &started);
  CloseHandle(write);
  if (pipe) {
    char buffer[4096];
    DWORD got = 0;
    while (ok && ReadFile(read, buffer, sizeof buffer, &got, nullptr) && got > 0) result.output.append(buffer, got);
    CloseHandle(read);
  }
  if (!ok) return result;
  if (WaitForSingleObject(started.hProcess, kRunWaitMs) == WAIT_OBJECT_0) {
    GetExitCodeProcess(started.hProcess, &result.exitCode);
  } else {
    TerminateProcess(started.hProcess, 99);
  }
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  if (!pipe) result.output = ReadFileBytes(outFile);
  return result;
}

std::wstring Corvane(const wchar_t* program, const std::wstring& arguments) {
  return L"\"" + AppFolder() + program + L"\" " + arguments;
}

bool HasLine(const std::string& text, const std::string& line) {
  return ("\r\n" + text).find("\r\n" + line + "\r\n") != std::string::npos;
}

// A named mutex owned by this process while it lives, as the other program would own it.
class HeldMutex {
 public:
  // With `sddl`, the mutex has that security descriptor (its owner and access list).
  explicit HeldMutex(const wchar_t* name, const std::wstring& sddl = {}) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!sddl.empty()) {
      ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr);
    }
    SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
    h_ = CreateMutexW(descriptor ? &security : nullptr, TRUE, name);
    if (descriptor) LocalFree(descriptor);
  }
  ~HeldMutex() {
    ReleaseMutex(h_);
    CloseHandle(h_);
  }
  bool held() const { return h_ != nullptr; }

 private:
  HANDLE h_ = nullptr;
};

// The run guard every cleaning of this user takes, in any session. Windows
// keeps it in a private namespace bound to the user's SID; Wine 8 has no
// private namespaces, and there it is the user's own mutex named with the
// user's SID in the Global\ namespace, owned by the user and open to the
// user alone.
std::wstring UserSid() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return {};
  unsigned char buffer[512];
  DWORD size = 0;
  BOOL ok = GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size);
  CloseHandle(token);
  wchar_t* sid = nullptr;
  if (!ok || !ConvertSidToStringSidW(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &sid)) return {};
  std::wstring text = sid;
  LocalFree(sid);
  return text;
}
std::wstring RunGuardName() { return L"Global\\CorvaneCleaningRun-" + UserSid(); }
std::wstring RunGuardSddl() { return L"O:" + UserSid() + L"D:P(A;;GA;;;" + UserSid() + L")"; }

const wchar_t kRunMru[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU";
const wchar_t kTelnet[] = L"Software\\Microsoft\\Telnet";

TEST(CommandLineE2E, APreviewRemovesNothingAndTheCleaningThenRemovesWhatItListed) {
  for (const wchar_t* name : {L"WindowsTempFiles", L"WindowsRunHist", L"TelenetHistory", L"CookiesCleaner",
                              L"RecycleBin", L"InternetHistoryFiles"}) {
    SetSwitch(name, 1);
  }
  const std::wstring folder = TempFolder() + L"corvane-cli";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryW((folder + L"\\sub").c_str(), nullptr));
  WriteFileBytes(folder + L"\\a.txt", "hello");
  WriteFileBytes(folder + L"\\sub\\b.log", "twelve bytes");
  SetValue(HKEY_CURRENT_USER, kRunMru, L"a", REG_SZ, L"notepad\\1", 20);
  SetValue(HKEY_CURRENT_USER, kTelnet, L"Machine1", REG_SZ, L"host", 10);
  ASSERT_TRUE(testsupport::CommitUrlCacheEntry("Cookie:user@tracker.example/", COOKIE_CACHE_ENTRY));
  ASSERT_TRUE(testsupport::CommitUrlCacheEntry("Cookie:user@bank.example/", COOKIE_CACHE_ENTRY));
  CreateDirectoryW((AppFolder() + L"Settings").c_str(), nullptr);
  WriteFileBytes(AppFolder() + L"Settings\\SafeCookies.txt", "bank.example\r\n");
  const std::string temp = Utf8(folder);

  // The preview, by the window program into a file, while a tray instance
  // is running (its mutex held): the command line is none of its business.
  Result preview;
  {
    HeldMutex tray(L"CorvaneMUTEX");
    ASSERT_TRUE(tray.held());
    preview = RunCommand(Corvane(L"corvane.exe", L"/preview"));
  }
  std::printf("%s", preview.output.c_str());
  EXPECT_EQ(preview.exitCode, 0u);
  const std::string& p = preview.output;
  EXPECT_EQ(p.rfind("Corvane preview: nothing has been removed. A cleaning now would do this.\r\n", 0), 0u);
  EXPECT_TRUE(HasLine(p, "    " + temp + "\\a.txt (5 bytes)"));
  EXPECT_TRUE(HasLine(p, "    " + temp + "\\sub\\b.log (12 bytes)"));
  EXPECT_TRUE(HasLine(p, "    " + temp + "\\sub (folder)"));
  EXPECT_TRUE(HasLine(p, "    " + temp + " (folder)"));
  EXPECT_TRUE(HasLine(p, "    HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU"));
  EXPECT_TRUE(HasLine(p, "    HKEY_CURRENT_USER\\Software\\Microsoft\\Telnet: Machine1"));
  EXPECT_TRUE(HasLine(p,
                      "Cookies\r\n  Cookies to remove: 1\r\n    tracker.example (1)\r\n"
                      "  Cookies the safe list keeps: 1\r\n    bank.example (1)"));
  EXPECT_TRUE(HasLine(p, "  History store to clear: 2 times"));
  EXPECT_TRUE(HasLine(p, "Every selected cleaner was looked at to its end."));
  EXPECT_TRUE(Exists(folder + L"\\sub\\b.log"));
  EXPECT_TRUE(HasValue(HKEY_CURRENT_USER, kRunMru, L"a"));
  EXPECT_TRUE(HasValue(HKEY_CURRENT_USER, kTelnet, L"Machine1"));
  EXPECT_TRUE(HasCookie("Cookie:user@tracker.example/"));
  EXPECT_FALSE(Exists(LastRunReport())) << "a preview keeps no report";

  // The cleaning, by the console program into a pipe, with a report file.
  const std::wstring reportFile = AppFolder() + L"clean report.txt";
  Result clean = RunCommand(Corvane(L"corvane.com", L"/clean /report \"" + reportFile + L"\""), true);
  std::printf("%s", clean.output.c_str());
  EXPECT_EQ(clean.exitCode, 0u);
  const std::string& c = clean.output;
  EXPECT_EQ(c.rfind("Corvane cleaning report.\r\n", 0), 0u);
  EXPECT_TRUE(HasLine(c, "    " + temp + "\\sub\\b.log (12 bytes)"));
  EXPECT_TRUE(HasLine(c,
                      "Cookies\r\n  Cookies removed: 1\r\n    tracker.example (1)\r\n"
                      "  Cookies kept by the safe list: 1\r\n    bank.example (1)"));
  // Wine has no history store to clear: the report says so rather than claim it.
  EXPECT_TRUE(HasLine(c, "  Not done: 2\r\n    clear the history store: not implemented by the system (2 times)"));
  EXPECT_TRUE(HasLine(c, "Every selected cleaner ran to its end."));
  EXPECT_FALSE(Exists(folder));
  EXPECT_FALSE(HasValue(HKEY_CURRENT_USER, kRunMru, L"a"));
  EXPECT_FALSE(HasValue(HKEY_CURRENT_USER, kTelnet, L"Machine1"));
  EXPECT_FALSE(HasCookie("Cookie:user@tracker.example/"));
  EXPECT_TRUE(HasCookie("Cookie:user@bank.example/"));
  EXPECT_EQ(ReadFileBytes(reportFile), kBom + c);
  EXPECT_EQ(ReadFileBytes(LastRunReport()), kBom + c);
}

TEST(CommandLineE2E, AnotherCleaningGivesThreeABadCommandLineTwoAndAMissingProgramFive) {
  const std::wstring planted = TempFolder() + L"corvane-cli-kept.txt";
  WriteFileBytes(planted, "kept");
  SetSwitch(L"WindowsTempFiles", 1);
  {
    HeldMutex otherRun(RunGuardName().c_str(), RunGuardSddl());
    ASSERT_TRUE(otherRun.held());
    Result busy = RunCommand(Corvane(L"corvane.exe", L"/clean"));
    EXPECT_EQ(busy.exitCode, 3u);
    EXPECT_EQ(busy.output, "Another history cleaning is in progress. Try again when it has finished.\r\n");
    EXPECT_TRUE(Exists(planted));
  }

  Result bad = RunCommand(Corvane(L"corvane.exe", L"/bogus"));
  EXPECT_EQ(bad.exitCode, 2u);
  EXPECT_EQ(bad.output.rfind("Unknown switch /bogus.\r\n\r\nUsage: corvane /preview [/report FILE]\r\n", 0), 0u)
      << bad.output;

  // cmd finds corvane.com before corvane.exe, waits for it and passes its
  // exit code on; its redirection reaches the report.
  Result twoActions = RunCommand(L"cmd.exe /c corvane /clean /preview");
  EXPECT_EQ(twoActions.exitCode, 2u) << twoActions.output;
  EXPECT_NE(twoActions.output.find("Only one of /preview, /clean and /list can be given."), std::string::npos);
  Result reportSwitch = RunCommand(L"cmd.exe /c corvane /clean /report /preview");
  EXPECT_EQ(reportSwitch.exitCode, 2u) << "a switch, not a report file named /preview";
  EXPECT_TRUE(Exists(planted));

  // corvane.com without corvane.exe beside it: a code of its own, never one of corvane.exe's.
  const std::wstring alone = AppFolder() + L"alone";
  CreateDirectoryW(alone.c_str(), nullptr);
  ASSERT_TRUE(CopyFileW((AppFolder() + L"corvane.com").c_str(), (alone + L"\\corvane.com").c_str(), FALSE));
  Result cannotStart = RunCommand(L"\"" + alone + L"\\corvane.com\" /preview", true);
  EXPECT_EQ(cannotStart.exitCode, 5u);
  EXPECT_NE(cannotStart.output.find("cannot be started"), std::string::npos) << cannotStart.output;
  DeleteFileW((alone + L"\\corvane.com").c_str());
  RemoveDirectoryW(alone.c_str());

  Result redirected = RunCommand(L"cmd.exe /c corvane -PREVIEW > cmd-preview.txt");
  EXPECT_EQ(redirected.exitCode, 0u) << redirected.output;
  const std::string viaCmd = ReadFileBytes(AppFolder() + L"cmd-preview.txt");
  EXPECT_EQ(viaCmd.rfind("Corvane preview: nothing has been removed.", 0), 0u) << viaCmd;
  EXPECT_TRUE(HasLine(viaCmd, "    " + Utf8(planted) + " (4 bytes)")) << viaCmd;
  EXPECT_TRUE(Exists(planted));
}

// A report at a drive's root is written (its folder is "C:\", not the
// volume "C:"); one whose folder is a link, as run.sh made C:\corvane-reports
// lead to C:\windows, is refused with exit code 1 and written nowhere.
TEST(CommandLineE2E, AReportIsWrittenAtTheRootOfADriveAndNeverThroughAFolderThatIsALink) {
  ASSERT_EQ(GetFileAttributesW(L"C:\\corvane-reports") & 0x410, 0x410u) << "run.sh makes the link";
  const std::wstring atRoot = L"C:\\corvane-report.txt";
  DeleteFileW(atRoot.c_str());
  Result root = RunCommand(Corvane(L"corvane.com", L"/preview /report " + atRoot), true);
  EXPECT_EQ(root.exitCode, 0u) << root.output;
  EXPECT_EQ(ReadFileBytes(atRoot), kBom + root.output);
  DeleteFileW(atRoot.c_str());
  // A name alone is a file of the current folder.
  Result relative = RunCommand(Corvane(L"corvane.com", L"/preview /report relative-report.txt"), true);
  EXPECT_EQ(relative.exitCode, 0u) << relative.output;
  EXPECT_EQ(ReadFileBytes(AppFolder() + L"relative-report.txt"), kBom + relative.output);

  for (const wchar_t* linked : {L"C:\\corvane-reports\\corvane.log", L"C:\\corvane-reports\\system32\\corvane.log"}) {
    Result refused = RunCommand(Corvane(L"corvane.com", std::wstring(L"/preview /report ") + linked), true);
    EXPECT_EQ(refused.exitCode, 1u) << refused.output;
    EXPECT_TRUE(HasLine(refused.output, "The report was not written to " + Utf8(linked) +
                                            ": a folder on its path is a link to another place."))
        << refused.output;
    EXPECT_FALSE(Exists(linked));
  }
  EXPECT_FALSE(Exists(L"C:\\windows\\system32\\corvane.log"));
}

// What Windows 10 and 11 keep, as far as Wine has it: Explorer's and the
// dialogs' keys, and a thumbnail cache this process holds open as Explorer
// would. (No Timeline database exists under Wine; the simulation tests it.)
TEST(CommandLineE2E, TheWindowsTracksGoAHeldThumbnailCacheIsSkippedWithFourAndTheJumpListsSayWhatWineAnswers) {
  for (const wchar_t* name : {L"WindowsTempFiles", L"WindowsRunHist", L"TelenetHistory", L"CookiesCleaner",
                              L"RecycleBin", L"InternetHistoryFiles"}) {
    SetSwitch(name, 0);
  }
  for (const wchar_t* name : {L"ExplorerTypedPaths", L"ExplorerSearchHistory", L"FileDialogHistory", L"JumpListHistory",
                              L"ThumbnailCache", L"WindowsTimeline"}) {
    SetSwitch(name, 1);
  }
  const std::wstring explorer = L"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\";
  const std::wstring dialogs = explorer + L"ComDlg32\\";
  SetValue(HKEY_CURRENT_USER, (explorer + L"TypedPaths").c_str(), L"url1", REG_SZ, L"C:\\secret", 20);
  const DWORD order = 0;
  SetValue(HKEY_CURRENT_USER, (explorer + L"WordWheelQuery").c_str(), L"MRUListEx", REG_BINARY, &order, 4);
  SetValue(HKEY_CURRENT_USER, (dialogs + L"OpenSavePidlMRU\\txt").c_str(), L"0", REG_BINARY, &order, 4);
  SetValue(HKEY_CURRENT_USER, (dialogs + L"LastVisitedPidlMRU").c_str(), L"0", REG_BINARY, &order, 4);
  SetValue(HKEY_CURRENT_USER, (dialogs + L"LastVisitedPidlMRULegacy").c_str(), L"0", REG_BINARY, &order, 4);
  SetValue(HKEY_CURRENT_USER, (dialogs + L"CIDSizeMRU").c_str(), L"0", REG_BINARY, &order, 4);
  wchar_t local[MAX_PATH] = {};
  ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, local), S_OK);
  const std::wstring thumbs = std::wstring(local) + L"\\Microsoft\\Windows\\Explorer\\";
  SHCreateDirectoryExW(nullptr, thumbs.c_str(), nullptr);
  WriteFileBytes(thumbs + L"thumbcache_32.db", "cache");
  WriteFileBytes(thumbs + L"thumbcache_idx.db", "index");
  WriteFileBytes(thumbs + L"iconcache_32.db", "icons");

  Result clean;
  {
    // Held as Explorer holds it: no one may delete it meanwhile.
    HANDLE held = CreateFileW((thumbs + L"thumbcache_idx.db").c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    clean = RunCommand(Corvane(L"corvane.com", L"/clean"), true);
    CloseHandle(held);
  }
  std::printf("%s", clean.output.c_str());
  EXPECT_EQ(clean.exitCode, 4u) << "finished, but a file in use was skipped";
  const std::string& c = clean.output;
  for (const wchar_t* gone : {L"TypedPaths", L"WordWheelQuery", L"ComDlg32\\OpenSavePidlMRU",
                              L"ComDlg32\\LastVisitedPidlMRU", L"ComDlg32\\LastVisitedPidlMRULegacy"}) {
    HKEY key = nullptr;
    EXPECT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, (explorer + gone).c_str(), 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND)
        << Utf8(gone);
    if (key) RegCloseKey(key);
    EXPECT_TRUE(HasLine(c, "    HKEY_CURRENT_USER\\" + Utf8(explorer + gone))) << Utf8(gone);
  }
  EXPECT_TRUE(HasValue(HKEY_CURRENT_USER, (dialogs + L"CIDSizeMRU").c_str(), L"0"));
  EXPECT_FALSE(Exists(thumbs + L"thumbcache_32.db"));
  EXPECT_TRUE(Exists(thumbs + L"thumbcache_idx.db"));
  EXPECT_TRUE(Exists(thumbs + L"iconcache_32.db"));
  EXPECT_TRUE(HasLine(c, "    remove " + Utf8(thumbs) + "thumbcache_idx.db: in use by another program"));
  EXPECT_TRUE(HasLine(c, "Timeline Activities\r\n  Nothing was there to remove."));
  // Wine 8 lists no applications (its shell has no Applications folder) and
  // answers E_NOTIMPL to RemoveAllDestinations; Windows lists them and clears.
  EXPECT_TRUE(HasLine(c,
                      "Jump Lists (pinned items kept)\r\n  Skipped: 1\r\n"
                      "    the jump lists: Windows did not list its applications (not found)"))
      << "the run says why rather than claim the lists cleared";
  EXPECT_TRUE(HasLine(c, "Every selected cleaner ran to its end."));
}

}  // namespace
