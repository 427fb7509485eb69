// The simulated ANSI code page: Latin-1 (every byte is the character of the
// same number); a text with a character beyond it is not converted. A test
// can make the system refuse every conversion.
#pragma once

#include <atomic>

#include "platform/AnsiText.h"

namespace platform::sim {

class SimAnsiText : public AnsiText {
 public:
  bool ToUtf8(const std::string& ansi, std::string* utf8) override {
    if (refuse) return false;
    std::string out;
    for (unsigned char c : ansi) {
      if (c < 0x80) {
        out += static_cast<char>(c);
      } else {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
      }
    }
    *utf8 = std::move(out);
    return true;
  }
  bool FromUtf8(const std::string& utf8, std::string* ansi) override {
    if (refuse) return false;
    std::string out;
    for (size_t i = 0; i < utf8.size();) {
      unsigned char c = static_cast<unsigned char>(utf8[i]);
      size_t length = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
      if (length == 1) {
        out += static_cast<char>(c);
      } else if (length == 2 && c <= 0xC3 && i + 1 < utf8.size()) {
        out += static_cast<char>(((c & 0x1F) << 6) | (static_cast<unsigned char>(utf8[i + 1]) & 0x3F));
      } else {
        return false;
      }
      i += length;
    }
    *ansi = std::move(out);
    return true;
  }

  std::atomic<bool> refuse{false};
};

}  // namespace platform::sim
