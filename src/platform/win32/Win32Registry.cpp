// The Win32 registry.
#include "platform/win32/Win32Registry.h"

#include <windows.h>
#include <shlwapi.h>

#include <vector>

#include "platform/win32/ScopedHandle.h"
#include "platform/win32/WideString.h"

namespace platform::win32 {
namespace {

// The largest value read or written. The program keeps numbers and short
// texts; Windows advises against values beyond a few kilobytes. Sizes are
// checked against it before they are rounded or allocated.
constexpr DWORD kMaxValueBytes = DWORD{1} << 24;

HKEY RootKey(RegRoot root) { return root == RegRoot::CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE; }

// Only the rights the handle's calls use: the installer grants a standard
// user exactly query and set on the settings key, and asking for anything
// more (KEY_READ's READ_CONTROL, KEY_WRITE's KEY_CREATE_SUB_KEY) is refused.
REGSAM Sam(RegAccess access) {
  switch (access) {
    case RegAccess::QueryAndSet:
      return KEY_QUERY_VALUE | KEY_SET_VALUE | KEY_WOW64_64KEY;
    case RegAccess::SetOnly:
      return KEY_SET_VALUE | KEY_WOW64_64KEY;
    case RegAccess::QueryOnly:
      return KEY_QUERY_VALUE | KEY_WOW64_64KEY;
  }
  return KEY_QUERY_VALUE | KEY_WOW64_64KEY;
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

 private:
  ScopedRegKey key_;
};

}  // namespace

std::unique_ptr<RegKey> Win32Registry::Open(RegRoot root, const std::string& path, RegAccess access, bool create,
                                            long* error) {
  HKEY key = nullptr;
  std::wstring wpath = Wide(path);
  LONG rc = create ? RegCreateKeyExW(RootKey(root), wpath.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE, Sam(access),
                                     nullptr, &key, nullptr)
                   : RegOpenKeyExW(RootKey(root), wpath.c_str(), 0, Sam(access), &key);
  *error = rc;
  if (rc != ERROR_SUCCESS) return nullptr;
  return std::make_unique<Win32RegKey>(key);
}

long Win32Registry::DeleteTree(RegRoot root, const std::string& path) {
  return SHDeleteKeyW(RootKey(root), Wide(path).c_str());
}

long Win32Registry::DeleteValue(RegRoot root, const std::string& path, const std::string& name) {
  return SHDeleteValueW(RootKey(root), Wide(path).c_str(), Wide(name).c_str());
}

}  // namespace platform::win32
