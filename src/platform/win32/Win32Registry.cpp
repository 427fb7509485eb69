// The Win32 registry.
#include "platform/win32/Win32Registry.h"

#include <winternl.h>

#include <vector>

#include "platform/win32/ScopedHandle.h"
#include "platform/win32/WideString.h"

// ntdll exports it; MinGW's winternl.h does not declare it.
extern "C" NTSTATUS NTAPI NtQueryKey(HANDLE key, int infoClass, PVOID buffer, ULONG length, PULONG needed);

namespace platform::win32 {
namespace {

constexpr int kKeyNameInformation = 3;

// The largest value read or written. The program keeps numbers and short
// texts; Windows advises against values beyond a few kilobytes. Sizes are
// checked against it before they are rounded or allocated.
constexpr DWORD kMaxValueBytes = DWORD{1} << 24;

// Only the rights the handle's calls use: the installer grants a standard
// user exactly query and set on the settings key, and asking for anything
// more (KEY_READ's READ_CONTROL, KEY_WRITE's KEY_CREATE_SUB_KEY) is refused.
REGSAM Sam(RegAccess access) {
  switch (access) {
    case RegAccess::QueryAndSet:
      return KEY_QUERY_VALUE | KEY_SET_VALUE;
    case RegAccess::SetOnly:
      return KEY_SET_VALUE;
    case RegAccess::QueryOnly:
      return KEY_QUERY_VALUE;
  }
  return KEY_QUERY_VALUE;
}

class Win32RegKey : public RegKey {
 public:
  explicit Win32RegKey(HKEY key) : key_(key) {}

  long QueryValue(const std::string& name, RegValue* value) override {
    std::wstring wname = Wide(name);
    DWORD type = 0, size = 0;
    LONG rc = RegQueryValueExW(key_.get(), wname.c_str(), nullptr, &type, nullptr, &size);
    if (rc != ERROR_SUCCESS) return rc;
    // No preference comes near this size; a larger value is refused, not allocated.
    if (size > kMaxValueBytes) return ERROR_MORE_DATA;
    std::vector<BYTE> data(size_t{size} + sizeof(wchar_t));
    rc = RegQueryValueExW(key_.get(), wname.c_str(), nullptr, &type, data.data(), &size);
    if (rc != ERROR_SUCCESS) return rc;
    *value = RegValue{};
    if (type == REG_DWORD && size == sizeof(DWORD)) {
      value->type = RegType::DWord;
      value->number = *reinterpret_cast<DWORD*>(data.data());
    } else if (type == REG_SZ || type == REG_EXPAND_SZ) {
      const wchar_t* text = reinterpret_cast<const wchar_t*>(data.data());
      size_t length = size / sizeof(wchar_t);
      while (length > 0 && text[length - 1] == L'\0') --length;
      value->type = RegType::String;
      value->data = Utf8(text, length);
    } else {
      value->type = RegType::Binary;
      value->data.assign(reinterpret_cast<const char*>(data.data()), size);
    }
    return ERROR_SUCCESS;
  }

  long SetValue(const std::string& name, const RegValue& value) override {
    std::wstring wname = Wide(name);
    switch (value.type) {
      case RegType::DWord: {
        DWORD n = value.number;
        return RegSetValueExW(key_.get(), wname.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&n), sizeof n);
      }
      case RegType::String: {
        std::wstring text = Wide(value.data);
        if (text.size() >= kMaxValueBytes / sizeof(wchar_t)) return ERROR_INVALID_PARAMETER;
        return RegSetValueExW(key_.get(), wname.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                              static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
      }
      default:
        if (value.data.size() > kMaxValueBytes) return ERROR_INVALID_PARAMETER;
        return RegSetValueExW(key_.get(), wname.c_str(), 0, REG_BINARY,
                              reinterpret_cast<const BYTE*>(value.data.data()), static_cast<DWORD>(value.data.size()));
    }
  }

  long DeleteValue(const std::string& name) override { return RegDeleteValueW(key_.get(), Wide(name).c_str()); }

  long ValueNames(std::vector<std::string>* names) override {
    names->clear();
    // Value names are at most 16,383 characters.
    std::vector<wchar_t> buffer(16384);
    for (DWORD index = 0;; ++index) {
      DWORD chars = static_cast<DWORD>(buffer.size());
      LONG rc = RegEnumValueW(key_.get(), index, buffer.data(), &chars, nullptr, nullptr, nullptr, nullptr);
      if (rc == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
      if (rc != ERROR_SUCCESS) return rc;
      names->push_back(Utf8(buffer.data(), chars));
    }
  }

  long FullName(std::string* name) override {
    // KEY_NAME_INFORMATION: the name's length in bytes, then the name.
    std::vector<ULONG> buffer(2048);
    ULONG needed = 0;
    NTSTATUS status = NtQueryKey(key_.get(), kKeyNameInformation, buffer.data(),
                                 static_cast<ULONG>(buffer.size() * sizeof(ULONG)), &needed);
    if (!NT_SUCCESS(status)) return static_cast<long>(RtlNtStatusToDosError(status));
    *name = Utf8(reinterpret_cast<const wchar_t*>(buffer.data() + 1), buffer[0] / sizeof(wchar_t));
    return ERROR_SUCCESS;
  }

 private:
  ScopedRegKey key_;
};

}  // namespace

HKEY RootKey(RegRoot root) {
  switch (root) {
    case RegRoot::CurrentUser:
      return HKEY_CURRENT_USER;
    case RegRoot::ClassesRoot:
    case RegRoot::ClassesRoot32:
      return HKEY_CLASSES_ROOT;
    case RegRoot::Users:
      return HKEY_USERS;
    case RegRoot::CurrentConfig:
      return HKEY_CURRENT_CONFIG;
    case RegRoot::LocalMachine:
    case RegRoot::LocalMachine32:
      break;
  }
  return HKEY_LOCAL_MACHINE;
}

REGSAM ViewOf(RegRoot root) {
  return root == RegRoot::LocalMachine32 || root == RegRoot::ClassesRoot32 ? KEY_WOW64_32KEY : KEY_WOW64_64KEY;
}

std::unique_ptr<RegKey> Win32Registry::Open(RegRoot root, const std::string& path, RegAccess access, bool create,
                                            long* error) {
  HKEY key = nullptr;
  std::wstring wpath = Wide(path);
  const REGSAM sam = Sam(access) | ViewOf(root);
  LONG rc = create ? RegCreateKeyExW(RootKey(root), wpath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, sam, nullptr,
                                     &key, nullptr)
                   : RegOpenKeyExW(RootKey(root), wpath.c_str(), 0, sam, &key);
  *error = rc;
  if (rc != ERROR_SUCCESS) return nullptr;
  return std::make_unique<Win32RegKey>(key);
}

// SHDeleteKey and SHDeleteValue take no view: a 32-bit build would delete
// in the 32-bit view what it opened in the 64-bit one. So the key is opened
// in its root's view, emptied (RegDeleteTree) and then removed itself.
long Win32Registry::DeleteTree(RegRoot root, const std::string& path) {
  const std::wstring wpath = Wide(path);
  HKEY opened = nullptr;
  LONG rc = RegOpenKeyExW(RootKey(root), wpath.c_str(), 0,
                          DELETE | KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | KEY_SET_VALUE | ViewOf(root), &opened);
  if (rc != ERROR_SUCCESS) return rc;
  {
    ScopedRegKey key(opened);
    rc = RegDeleteTreeW(key.get(), nullptr);
  }
  if (rc != ERROR_SUCCESS) return rc;
  return RegDeleteKeyExW(RootKey(root), wpath.c_str(), ViewOf(root), 0);
}

long Win32Registry::DeleteValue(RegRoot root, const std::string& path, const std::string& name) {
  HKEY opened = nullptr;
  LONG rc = RegOpenKeyExW(RootKey(root), Wide(path).c_str(), 0, KEY_SET_VALUE | ViewOf(root), &opened);
  if (rc != ERROR_SUCCESS) return rc;
  ScopedRegKey key(opened);
  return RegDeleteValueW(key.get(), Wide(name).c_str());
}

}  // namespace platform::win32
