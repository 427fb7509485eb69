// A file fetched over WinHTTP, with the system's proxy settings.
#pragma once

#include "platform/Http.h"

namespace platform::win32 {

class Win32Http : public Http {
 public:
  HttpResult Get(const std::string& url, size_t maxBytes, const std::function<bool(uint64_t, uint64_t)>& progress,
                 std::string* body) override;
};

}  // namespace platform::win32
