// The system's ANSI code page, for the text formats defined in it (the
// keep-list file): MultiByteToWideChar / WideCharToMultiByte with CP_ACP.
#pragma once

#include <string>

namespace platform {

class AnsiText {
 public:
  virtual ~AnsiText() = default;
  // False when the system refuses the conversion; *out is then untouched, so
  // a failure never passes for an empty text.
  virtual bool ToUtf8(const std::string& ansi, std::string* utf8) = 0;
  // Characters the code page lacks become its default character.
  virtual bool FromUtf8(const std::string& utf8, std::string* ansi) = 0;
};

}  // namespace platform
