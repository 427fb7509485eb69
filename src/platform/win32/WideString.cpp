// UTF-8 and UTF-16 conversion, and paths for the ...W calls.
#include "platform/win32/WideString.h"

#include <windows.h>

#include <climits>
#include <stdexcept>
#include <vector>

namespace platform::win32 {

bool ToWide(unsigned codePage, const std::string& text, std::wstring* out) {
  if (text.empty()) {
    out->clear();
    return true;
  }
  if (text.size() > INT_MAX) return false;
  const int length = static_cast<int>(text.size());
  int n = MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0);
  if (n <= 0) return false;
  std::wstring wide(static_cast<size_t>(n), L'\0');
  if (MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), n) != n) return false;
  *out = std::move(wide);
  return true;
}

bool FromWide(unsigned codePage, const wchar_t* wide, size_t length, std::string* out) {
  if (length == 0) {
    out->clear();
    return true;
  }
  if (length > INT_MAX) return false;
  const int count = static_cast<int>(length);
  int n = WideCharToMultiByte(codePage, 0, wide, count, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return false;
  std::string text(static_cast<size_t>(n), '\0');
  if (WideCharToMultiByte(codePage, 0, wide, count, text.data(), n, nullptr, nullptr) != n) return false;
  *out = std::move(text);
  return true;
}

std::wstring Wide(const std::string& utf8) {
  std::wstring wide;
  if (!ToWide(CP_UTF8, utf8, &wide)) throw std::range_error("text that cannot be converted to UTF-16");
  return wide;
}

std::string Utf8(const wchar_t* wide, size_t length) {
  std::string utf8;
  if (!FromWide(CP_UTF8, wide, length, &utf8)) throw std::range_error("text that cannot be converted to UTF-8");
  return utf8;
}

std::string Utf8(const std::wstring& wide) { return Utf8(wide.data(), wide.size()); }

namespace {

bool StartsWith(const std::wstring& text, const wchar_t* prefix) { return text.rfind(prefix, 0) == 0; }

// Joins `root` and the components of `rest`, separators single, "."
// dropped and ".." taking off the component before it, never one of the
// first `fixed` (a share's server and name).
std::wstring JoinResolved(std::wstring root, const std::wstring& rest, size_t fixed = 0) {
  std::vector<std::wstring> parts;
  std::wstring part;
  for (size_t i = 0; i <= rest.size(); ++i) {
    if (i < rest.size() && rest[i] != L'\\' && rest[i] != L'/') {
      part += rest[i];
      continue;
    }
    if (part == L"..") {
      if (parts.size() > fixed) parts.pop_back();
    } else if (!part.empty() && part != L".") {
      parts.push_back(part);
    }
    part.clear();
  }
  for (size_t i = 0; i < parts.size(); ++i) root += (i ? L"\\" : L"") + parts[i];
  return root;
}

}  // namespace

std::wstring WidePath(const std::string& utf8) {
  std::wstring path = Wide(utf8);
  // Already in a form the system takes literally (\\?\ or \\.\ device paths).
  if (StartsWith(path, L"\\\\?\\") || StartsWith(path, L"\\\\.\\")) return path;
  bool unc = path.size() > 2 && (path[0] == L'\\' || path[0] == L'/') && (path[1] == L'\\' || path[1] == L'/');
  if (unc) return JoinResolved(L"\\\\?\\UNC\\", path.substr(2), 2);
  bool absolute = path.size() > 2 && path[1] == L':' && (path[2] == L'\\' || path[2] == L'/');
  if (absolute) return JoinResolved(L"\\\\?\\" + path.substr(0, 2) + L"\\", path.substr(3));
  // A relative path is resolved by the system against the current folder;
  // only its separators are made single.
  std::wstring folded;
  for (wchar_t c : path) {
    if (c == L'/') c = L'\\';
    if (c == L'\\' && !folded.empty() && folded.back() == L'\\') continue;
    folded += c;
  }
  return folded;
}

std::wstring WithoutLongPrefix(const std::wstring& path) {
  if (StartsWith(path, L"\\\\?\\UNC\\")) return L"\\\\" + path.substr(8);
  if (StartsWith(path, L"\\\\?\\")) return path.substr(4);
  return path;
}

}  // namespace platform::win32
