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
bool IsSeparator(wchar_t c) { return c == L'\\' || c == L'/'; }

// Appends the components of `path` from `from` on to `out`, separators
// single: "." is dropped and ".." takes off the component before it, never
// reaching below out's first `floor` characters (the root). In place, as
// this runs for every path of a purge.
void AppendResolved(std::wstring* out, const std::wstring& path, size_t from, size_t floor) {
  while (from < path.size()) {
    size_t end = from;
    while (end < path.size() && !IsSeparator(path[end])) ++end;
    const size_t length = end - from;
    if (length == 2 && path[from] == L'.' && path[from + 1] == L'.') {
      size_t cut = out->find_last_of(L'\\');
      out->resize(cut == std::wstring::npos || cut < floor ? floor : cut);
    } else if (length > 0 && !(length == 1 && path[from] == L'.')) {
      if (out->size() > floor) out->push_back(L'\\');
      out->append(path, from, length);
    }
    from = end + 1;
  }
}

}  // namespace

std::wstring WidePath(const std::string& utf8) {
  std::wstring path = Wide(utf8);
  // Already in a form the system takes literally (\\?\ or \\.\ device paths).
  if (StartsWith(path, L"\\\\?\\") || StartsWith(path, L"\\\\.\\")) return path;
  std::wstring out;
  out.reserve(path.size() + 8);
  if (path.size() > 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    // \\server\share\...: the server and the share are the root.
    out = L"\\\\?\\UNC\\";
    size_t server = path.find_first_of(L"\\/", 2);
    size_t share = server == std::wstring::npos ? path.size() : path.find_first_of(L"\\/", server + 1);
    if (share == std::wstring::npos) share = path.size();
    out.append(path, 2, share - 2);
    for (wchar_t& c : out) c = c == L'/' ? L'\\' : c;
    out.push_back(L'\\');
    AppendResolved(&out, path, share, out.size());
    return out;
  }
  if (path.size() > 2 && path[1] == L':' && IsSeparator(path[2])) {
    out = L"\\\\?\\" + path.substr(0, 2) + L"\\";
    AppendResolved(&out, path, 3, out.size());
    return out;
  }
  // A relative path is resolved by the system against the current folder;
  // only its separators are made single.
  for (wchar_t c : path) {
    if (c == L'/') c = L'\\';
    if (c == L'\\' && !out.empty() && out.back() == L'\\') continue;
    out += c;
  }
  return out;
}

std::wstring WithoutLongPrefix(const std::wstring& path) {
  if (StartsWith(path, L"\\\\?\\UNC\\")) return L"\\\\" + path.substr(8);
  if (StartsWith(path, L"\\\\?\\")) return path.substr(4);
  return path;
}

}  // namespace platform::win32
