// The system's ANSI code page, for the text formats defined in it (the
// keep-list file): MultiByteToWideChar / WideCharToMultiByte with CP_ACP.
#pragma once

#include <string>

namespace platform {

class AnsiText {
 public:
  virtual ~AnsiText() = default;
  virtual std::string ToUtf8(const std::string& ansi) = 0;
  // Characters the code page lacks become its default character.
  virtual std::string FromUtf8(const std::string& utf8) = 0;
};

}  // namespace platform
