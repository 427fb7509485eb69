// The process token, the logon name and key security.
#pragma once

#include "platform/Security.h"

namespace platform::win32 {

class Win32Security : public Security {
 public:
  std::unique_ptr<AccessToken> OpenProcessTokenForQuery(long* error) override;
  std::string TokenUserSid(const void* buffer) override;
  bool LogonUserName(uint32_t bufferChars, std::string* name) override;
  std::unique_ptr<SecuredKey> OpenKey(RegRoot root, const std::string& path, KeyRight right, long* error) override;
};

}  // namespace platform::win32
