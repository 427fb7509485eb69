// The contract suite's environment on the real Win32 layer (under Wine here).
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <shellapi.h>
#include <wininet.h>

#include <string>
#include <vector>

#include "ContractEnv.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WideString.h"
#include "tests/support/CommitUrlCacheEntry.h"
#include "tests/support/UnixLinks.h"

namespace contract {
namespace {

// Removes a folder tree that the tests made; used only on our scratch folder.
void RemoveTree(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring path = folder + L"\\" + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) &&
          !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        RemoveTree(path);
      } else if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveDirectoryW(path.c_str());
      } else {
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(folder.c_str());
}

class Win32ContractEnv : public ContractEnv {
 public:
  Win32ContractEnv() {
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    root_ = std::wstring(temp) + L"corvane-contract-" + std::to_wstring(GetCurrentProcessId());
    RemoveTree(root_);
    CreateDirectoryW(root_.c_str(), nullptr);
  }
  ~Win32ContractEnv() override {
    for (HWND window : windows_) DestroyWindow(window);
    // Wine removes what a Unix symbolic link leads to, not the link: the
    // Unix side removes a tree that holds one.
    if (madeUnixLinks_) testsupport::RemoveUnixPath(platform::win32::Utf8(root_));
    RemoveTree(root_);
  }

  platform::Platform& platform() override { return win32_.platform; }
  std::string NewScratchFolder() override {
    std::wstring folder = root_ + L"\\t" + std::to_wstring(++count_);
    CreateDirectoryW(folder.c_str(), nullptr);
    return platform::win32::Utf8(folder);
  }
  std::shared_ptr<void> HoldOpen(const std::string& path) override {
    HANDLE h = CreateFileW(platform::win32::WidePath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                           FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::shared_ptr<void>(h, [](void* handle) { CloseHandle(handle); });
  }
  std::shared_ptr<void> HoldAsCurrentDirectory(const std::string& folder) override {
    // As SetCurrentDirectory opens it: for traversal, not sharing deletion.
    HANDLE h =
        CreateFileW(platform::win32::WidePath(folder).c_str(), FILE_TRAVERSE | SYNCHRONIZE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    return std::shared_ptr<void>(h, [](void* handle) { CloseHandle(handle); });
  }
  bool MakeLink(const std::string& path, const std::string& target, bool folder) override {
    const std::wstring link = platform::win32::WidePath(path);
    const DWORD kAllowUnprivileged = 0x2;  // SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE (developer mode)
    CreateSymbolicLinkW(link.c_str(), platform::win32::WidePath(target).c_str(),
                        (folder ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) | kAllowUnprivileged);
    if (GetFileAttributesW(link.c_str()) != INVALID_FILE_ATTRIBUTES) return true;
    // Wine answers success and makes nothing: a Unix symbolic link stands for one there.
    bool made = testsupport::MakeUnixLink(path, target);
    madeUnixLinks_ = madeUnixLinks_ || made;
    return made;
  }
  bool Rename(const std::string& from, const std::string& to) override {
    return MoveFileExW(platform::win32::WidePath(from).c_str(), platform::win32::WidePath(to).c_str(), 0);
  }
  bool MakeHardLink(const std::string& existing, const std::string& path) override {
    return CreateHardLinkW(platform::win32::WidePath(path).c_str(), platform::win32::WidePath(existing).c_str(),
                           nullptr);
  }
  bool LetEveryoneChange(const std::string& folder) override {
    const std::wstring path = platform::win32::WidePath(folder);
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(path.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, &dacl, nullptr,
                              &descriptor) != ERROR_SUCCESS) {
      return false;
    }
    BYTE world[SECURITY_MAX_SID_SIZE];
    DWORD worldSize = sizeof world;
    EXPLICIT_ACCESSW everyone{};
    everyone.grfAccessPermissions = FILE_GENERIC_READ | FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE;
    everyone.grfAccessMode = GRANT_ACCESS;
    everyone.grfInheritance = SUB_CONTAINERS_AND_OBJECTS_INHERIT;
    everyone.Trustee.TrusteeForm = TRUSTEE_IS_SID;
    everyone.Trustee.TrusteeType = TRUSTEE_IS_WELL_KNOWN_GROUP;
    everyone.Trustee.ptstrName = reinterpret_cast<LPWSTR>(world);
    PACL updated = nullptr;
    bool done = CreateWellKnownSid(WinWorldSid, nullptr, world, &worldSize) &&
                SetEntriesInAclW(1, &everyone, dacl, &updated) == ERROR_SUCCESS &&
                SetNamedSecurityInfoW(const_cast<wchar_t*>(path.c_str()), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                                      nullptr, nullptr, updated, nullptr) == ERROR_SUCCESS;
    LocalFree(updated);
    LocalFree(descriptor);
    return done;
  }
  bool Recycle(const std::string& path, uint64_t) override {
    std::wstring from = platform::win32::Wide(path) + L'\0';  // a list ended by an empty name
    SHFILEOPSTRUCTW operation{};
    operation.wFunc = FO_DELETE;
    operation.pFrom = from.c_str();
    operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    return SHFileOperationW(&operation) == 0 && !operation.fAnyOperationsAborted;
  }
  std::string ShortName(const std::string& path) override {
    wchar_t buffer[MAX_PATH];
    DWORD n = GetShortPathNameW(platform::win32::Wide(path).c_str(), buffer, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return {};
    std::string shortName = platform::win32::Utf8(buffer, n);
    return shortName == path ? std::string() : shortName;
  }
  bool simulated() const override { return false; }
  bool underWine() const override {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  }
  bool CommitCacheEntry(const std::string& sourceName, uint32_t type, uint32_t headerBytes) override {
    return testsupport::CommitUrlCacheEntry(sourceName, type, headerBytes);
  }
  std::vector<std::string> CacheWalkWithoutPattern() override {
    std::vector<std::string> names;
    std::vector<uint64_t> record(8192);
    auto* entry = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(record.data());
    DWORD size = static_cast<DWORD>(record.size() * sizeof(uint64_t));
    HANDLE find = FindFirstUrlCacheEntryA(nullptr, entry, &size);
    if (!find) return names;
    do {
      if (entry->lpszSourceUrlName) names.push_back(entry->lpszSourceUrlName);
      size = static_cast<DWORD>(record.size() * sizeof(uint64_t));
    } while (FindNextUrlCacheEntryA(find, entry, &size));
    FindCloseUrlCache(find);
    return names;
  }

  std::shared_ptr<void> StartGuardedProgram(uint32_t* processId, std::string* programFile,
                                            bool* queryRefused) override {
    // A protected access list with no entry: only the owner's implicit
    // rights to the list itself remain.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P", SDDL_REVISION_1, &descriptor, nullptr)) {
      return nullptr;
    }
    SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    std::wstring command = L"\"" + std::wstring(system) + L"\\ping.exe\" -n 120 127.0.0.1";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const BOOL started = CreateProcessW(nullptr, command.data(), &security, nullptr, FALSE, CREATE_NO_WINDOW, nullptr,
                                        nullptr, &startup, &info);
    LocalFree(descriptor);
    if (!started) return nullptr;
    CloseHandle(info.hThread);
    *processId = info.dwProcessId;
    *programFile = "PING.EXE";
    HANDLE query = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, info.dwProcessId);
    *queryRefused = query == nullptr;
    if (query) CloseHandle(query);
    // The handle CreateProcess gave holds every right, whatever the list says.
    return std::shared_ptr<void>(info.hProcess, [](void* process) {
      TerminateProcess(process, 0);
      WaitForSingleObject(process, 5000);
      CloseHandle(process);
    });
  }

  platform::WindowId MakeTopLevelWindow(const std::string& className, bool visible) override {
    std::wstring name = platform::win32::Wide(className);
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = name.c_str();
    RegisterClassW(&wc);  // fails harmlessly when the class is registered already
    HWND window = CreateWindowExW(0, name.c_str(), L"", WS_OVERLAPPEDWINDOW | (visible ? WS_VISIBLE : 0), 10, 10, 200,
                                  100, nullptr, nullptr, wc.hInstance, nullptr);
    if (window) windows_.push_back(window);
    return reinterpret_cast<platform::WindowId>(window);
  }

 private:
  std::vector<HWND> windows_;
  platform::win32::Win32Platform win32_;
  std::wstring root_;
  int count_ = 0;
  bool madeUnixLinks_ = false;
};

}  // namespace

std::unique_ptr<ContractEnv> ContractEnv::Create() { return std::make_unique<Win32ContractEnv>(); }

}  // namespace contract
