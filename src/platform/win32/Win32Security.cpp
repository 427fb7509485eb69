// Security calls of advapi32.
#include "platform/win32/Win32Security.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/win32/ScopedHandle.h"
#include "platform/win32/Win32Registry.h"
#include "platform/win32/WideString.h"

namespace platform::win32 {
namespace {

class Win32Token : public AccessToken {
 public:
  explicit Win32Token(HANDLE h) : token_(h) {}
  long QueryUser(void* buffer, uint32_t size, uint32_t* needed) override {
    DWORD n = 0;
    BOOL ok = GetTokenInformation(token_.get(), TokenUser, buffer, size, &n);
    long error = ok ? ERROR_SUCCESS : static_cast<long>(GetLastError());
    *needed = n;
    return error;
  }

 private:
  ScopedKernelObject token_;
};

class Win32SecuredKey : public SecuredKey {
 public:
  explicit Win32SecuredKey(HKEY key) : key_(key) {}

  long GetDacl(void* buffer, uint32_t* size) override {
    DWORD n = *size;
    LONG rc = RegGetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, buffer, &n);
    *size = n;
    return rc;
  }

  long SetDacl(const std::string& descriptor) override {
    // The descriptor's offsets are read from an aligned copy.
    std::vector<uint64_t> aligned((descriptor.size() + 7) / 8);
    std::copy(descriptor.begin(), descriptor.end(), reinterpret_cast<char*>(aligned.data()));
    if (!IsValidSecurityDescriptor(aligned.data())) return ERROR_INVALID_SECURITY_DESCR;
    return RegSetKeySecurity(key_.get(), DACL_SECURITY_INFORMATION, aligned.data());
  }

  long QuerySubkeyCount(uint32_t* count) override {
    DWORD n = 0;
    LONG rc = RegQueryInfoKeyW(key_.get(), nullptr, nullptr, nullptr, &n, nullptr, nullptr, nullptr, nullptr, nullptr,
                               nullptr, nullptr);
    *count = n;
    return rc;
  }

  long EnumSubkey(uint32_t index, uint32_t bufferChars, std::string* name) override {
    std::vector<wchar_t> buffer(bufferChars ? bufferChars : 1);
    DWORD n = bufferChars;
    LONG rc = RegEnumKeyExW(key_.get(), index, buffer.data(), &n, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_SUCCESS) *name = Utf8(buffer.data(), n);
    return rc;
  }

 private:
  ScopedRegKey key_;
};

REGSAM Sam(KeyRight right) {
  switch (right) {
    case KeyRight::ReadControl:
      return READ_CONTROL;
    case KeyRight::WriteDac:
      return WRITE_DAC;
    case KeyRight::Read:
      return KEY_READ;
  }
  return KEY_READ;
}

}  // namespace

std::unique_ptr<AccessToken> Win32Security::OpenProcessTokenForQuery(long* error) {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
    *error = static_cast<long>(GetLastError());
    return nullptr;
  }
  *error = ERROR_SUCCESS;
  return std::make_unique<Win32Token>(token);
}

std::string Win32Security::TokenUserSid(const void* buffer) {
  PSID sid = static_cast<const TOKEN_USER*>(buffer)->User.Sid;
  if (!sid || !IsValidSid(sid)) return {};
  return std::string(static_cast<const char*>(sid), GetLengthSid(sid));
}

bool Win32Security::LogonUserName(uint32_t bufferChars, std::string* name) {
  std::vector<wchar_t> buffer(bufferChars ? bufferChars : 1);
  DWORD n = bufferChars;
  if (!GetUserNameW(buffer.data(), &n) || n == 0) return false;
  *name = Utf8(buffer.data(), n - 1);  // n counts the terminator
  return true;
}

std::unique_ptr<SecuredKey> Win32Security::OpenKey(RegRoot root, const std::string& path, KeyRight right, long* error) {
  HKEY key = nullptr;
  *error = RegOpenKeyExW(RootKey(root), Wide(path).c_str(), 0, Sam(right) | ViewOf(root), &key);
  if (*error != ERROR_SUCCESS) return nullptr;
  return std::make_unique<Win32SecuredKey>(key);
}

}  // namespace platform::win32
