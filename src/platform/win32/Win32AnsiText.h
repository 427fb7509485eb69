// The ANSI code page through MultiByteToWideChar / WideCharToMultiByte.
#pragma once

#include "platform/AnsiText.h"

namespace platform::win32 {

class Win32AnsiText : public AnsiText {
 public:
  bool ToUtf8(const std::string& ansi, std::string* utf8) override;
  bool FromUtf8(const std::string& utf8, std::string* ansi) override;
};

}  // namespace platform::win32
