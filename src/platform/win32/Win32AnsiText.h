// The ANSI code page through MultiByteToWideChar / WideCharToMultiByte.
#pragma once

#include "platform/AnsiText.h"

namespace platform::win32 {

class Win32AnsiText : public AnsiText {
 public:
  std::string ToUtf8(const std::string& ansi) override;
  std::string FromUtf8(const std::string& utf8) override;
};

}  // namespace platform::win32
