// A file fetched over HTTP(S), shaped like the WinHTTP calls of one request:
// the status, the body read in pieces, a size cap and a way to give up.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace platform {

struct HttpResult {
  long error = 0;         // a Win32 (WinHTTP) error code; 0 when the server answered
  int status = 0;         // the HTTP status, when it answered
  bool tooLarge = false;  // the body went past the cap and was not read further
  bool cancelled = false;
};

class Http {
 public:
  virtual ~Http() = default;
  // GET `url` (as the system's proxy settings say), the body into *body.
  // `progress` hears the bytes received and the length the server gave (0
  // when it gave none) after each piece, and cancels by answering false.
  // A body longer than `maxBytes` is not read to its end.
  virtual HttpResult Get(const std::string& url, size_t maxBytes,
                         const std::function<bool(uint64_t received, uint64_t total)>& progress, std::string* body) = 0;
};

}  // namespace platform
