// One GET over WinHTTP: each handle owned once, every failure its error code.
#include "platform/win32/Win32Http.h"

#include <windows.h>
#include <winhttp.h>

#include <vector>

#include "platform/win32/ScopedHandle.h"
#include "platform/win32/WideString.h"

namespace platform::win32 {
namespace {

using ScopedInternet = ScopedHandle<ReleasedBy<HINTERNET, WinHttpCloseHandle>>;

// The longest a connection waits for each step before it gives up.
constexpr int kResolveMs = 15000, kConnectMs = 15000, kSendMs = 30000, kReceiveMs = 30000;

HttpResult Failed() {
  HttpResult result;
  result.error = static_cast<long>(GetLastError());
  return result;
}

}  // namespace

HttpResult Win32Http::Get(const std::string& url, size_t maxBytes,
                          const std::function<bool(uint64_t, uint64_t)>& progress, std::string* body) {
  body->clear();
  const std::wstring wide = Wide(url);
  URL_COMPONENTS parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwHostNameLength = parts.dwUrlPathLength = parts.dwExtraInfoLength = static_cast<DWORD>(-1);
  if (!WinHttpCrackUrl(wide.c_str(), 0, 0, &parts)) return Failed();
  const std::wstring host(parts.lpszHostName, parts.dwHostNameLength);
  const std::wstring path = std::wstring(parts.lpszUrlPath, parts.dwUrlPathLength) +
                            std::wstring(parts.lpszExtraInfo, parts.dwExtraInfoLength);
  // Windows 8.1 and later find the proxy as the system does; before, the
  // one WinHTTP was configured with.
  ScopedInternet session(
      WinHttpOpen(L"Corvane", WINHTTP_ACCESS_TYPE_AUTOMATIC_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  if (!session.valid()) {
    session.Reset(
        WinHttpOpen(L"Corvane", WINHTTP_ACCESS_TYPE_DEFAULT_PROXY, WINHTTP_NO_PROXY_NAME, WINHTTP_NO_PROXY_BYPASS, 0));
  }
  if (!session.valid()) return Failed();
  WinHttpSetTimeouts(session.get(), kResolveMs, kConnectMs, kSendMs, kReceiveMs);
  ScopedInternet connection(WinHttpConnect(session.get(), host.c_str(), parts.nPort, 0));
  if (!connection.valid()) return Failed();
  ScopedInternet request(WinHttpOpenRequest(connection.get(), L"GET", path.c_str(), nullptr, WINHTTP_NO_REFERER,
                                            WINHTTP_DEFAULT_ACCEPT_TYPES,
                                            parts.nScheme == INTERNET_SCHEME_HTTPS ? WINHTTP_FLAG_SECURE : 0));
  if (!request.valid()) return Failed();
  if (!WinHttpSendRequest(request.get(), WINHTTP_NO_ADDITIONAL_HEADERS, 0, WINHTTP_NO_REQUEST_DATA, 0, 0, 0) ||
      !WinHttpReceiveResponse(request.get(), nullptr)) {
    return Failed();
  }
  HttpResult result;
  DWORD number = 0, size = sizeof number;
  if (WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER,
                          WINHTTP_HEADER_NAME_BY_INDEX, &number, &size, WINHTTP_NO_HEADER_INDEX)) {
    result.status = static_cast<int>(number);
  }
  number = 0;
  size = sizeof number;
  const uint64_t total = WinHttpQueryHeaders(request.get(), WINHTTP_QUERY_CONTENT_LENGTH | WINHTTP_QUERY_FLAG_NUMBER,
                                             WINHTTP_HEADER_NAME_BY_INDEX, &number, &size, WINHTTP_NO_HEADER_INDEX)
                             ? number
                             : 0;
  std::vector<char> piece(64 * 1024);
  for (;;) {
    DWORD read = 0;
    if (!WinHttpReadData(request.get(), piece.data(), static_cast<DWORD>(piece.size()), &read)) {
      result.error = static_cast<long>(GetLastError());
      return result;
    }
    if (read == 0) return result;
    if (body->size() + read > maxBytes) {
      result.tooLarge = true;
      return result;
    }
    body->append(piece.data(), read);
    if (progress && !progress(body->size(), total)) {
      result.cancelled = true;
      return result;
    }
  }
}

}  // namespace platform::win32
