// The contract suite's environment on the real Win32 layer (under Wine here).
#include <windows.h>
#include <wininet.h>

#include <string>

#include "ContractEnv.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WideString.h"

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
      if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
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

// CreateUrlCacheEntryA gives the local file, which gets a line of text,
// then CommitUrlCacheEntryA records the entry.
bool CommitUrlCacheEntry(const std::string& sourceName, uint32_t type, uint32_t headerBytes) {
  char file[MAX_PATH] = {};
  if (!CreateUrlCacheEntryA(sourceName.c_str(), 0, "txt", file, 0)) return false;
  HANDLE h = CreateFileA(file, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  WriteFile(h, "corvane=1\n", 10, &written, nullptr);
  CloseHandle(h);
  std::string header(headerBytes, 'h');
  FILETIME zero = {};
  return CommitUrlCacheEntryA(sourceName.c_str(), file, zero, zero, type,
                              headerBytes ? reinterpret_cast<BYTE*>(header.data()) : nullptr, headerBytes, nullptr,
                              nullptr);
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
  ~Win32ContractEnv() override { RemoveTree(root_); }

  platform::Platform& platform() override { return win32_.platform; }
  std::string NewScratchFolder() override {
    std::wstring folder = root_ + L"\\t" + std::to_wstring(++count_);
    CreateDirectoryW(folder.c_str(), nullptr);
    return platform::win32::Utf8(folder);
  }
  bool simulated() const override { return false; }
  bool CommitCacheEntry(const std::string& sourceName, uint32_t type, uint32_t headerBytes) override {
    return CommitUrlCacheEntry(sourceName, type, headerBytes);
  }

 private:
  platform::win32::Win32Platform win32_;
  std::wstring root_;
  int count_ = 0;
};

}  // namespace

std::unique_ptr<ContractEnv> ContractEnv::Create() { return std::make_unique<Win32ContractEnv>(); }

}  // namespace contract
