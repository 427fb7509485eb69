// The simulated ANSI code page: Latin-1 (every byte is the character of the
// same number); characters beyond it become '?'.
#pragma once

#include "platform/AnsiText.h"

namespace platform::sim {

class SimAnsiText : public AnsiText {
 public:
  std::string ToUtf8(const std::string& ansi) override {
    std::string out;
    for (unsigned char c : ansi) {
      if (c < 0x80) {
        out += static_cast<char>(c);
      } else {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
      }
    }
    return out;
  }
  std::string FromUtf8(const std::string& utf8) override {
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
      unsigned char c = static_cast<unsigned char>(utf8[i]);
      size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
      if (length == 1) {
        out += static_cast<char>(c);
      } else if (length == 2 && c <= 0xC3 && i + 1 < utf8.size()) {
        out += static_cast<char>(((c & 0x1F) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3F));
      } else {
        out += '?';
      }
      i += length;
    }
    return out;
  }
};

}  // namespace platform::sim
