// The system's ANSI code page, for the text formats defined in it (the
// keep-list file): MultiByteToWideChar / WideCharToMultiByte with CP_ACP.
#pragma once

#include <string>

namespace platform {

// Both ways the text is kept exactly or not converted at all: a character
// the code page lacks never becomes its default character or a look-alike
// (the system's "best fit", which makes "ł" an "l"), and bytes that are no
// text of the code page never become a replacement character.
class AnsiText {
 public:
  virtual ~AnsiText() = default;
  // False when the bytes are no text of the code page, or the system
  // refuses; *out is then untouched, so a failure never passes for an
  // empty text.
  virtual bool ToUtf8(const std::string& ansi, std::string* utf8) = 0;
  // False when a character is not in the code page, or the system refuses.
  virtual bool FromUtf8(const std::string& utf8, std::string* ansi) = 0;
};

}  // namespace platform
