// Names and paths as Windows takes them.
#include "platform/sim/SimNames.h"

#include "util/Text.h"

namespace platform::sim {
namespace {

// A run of letters where capital and small letter alternate, the capital on
// an even code point (or an odd one).
bool SmallOfPair(char32_t c, char32_t first, char32_t last, bool capitalEven) {
  return c >= first && c <= last && (c % 2 == 1) == capitalEven;
}

// The next character of UTF-8 text at *at, which moves past it; a byte
// that begins no well-formed character stands for itself, beyond Unicode.
char32_t NextCharacter(const std::string& text, size_t* at) {
  const auto lead = static_cast<unsigned char>(text[*at]);
  const size_t length = lead < 0x80 ? 1 : (lead >> 5) == 0x6 ? 2 : (lead >> 4) == 0xE ? 3 : (lead >> 3) == 0x1E ? 4 : 0;
  bool wellFormed = length != 0 && *at + length <= text.size();
  char32_t c = length == 1 ? lead : length == 2 ? lead & 0x1F : length == 3 ? lead & 0x0F : lead & 0x07;
  for (size_t k = 1; wellFormed && k < length; ++k) {
    const auto next = static_cast<unsigned char>(text[*at + k]);
    wellFormed = (next & 0xC0) == 0x80;
    c = (c << 6) | (next & 0x3F);
  }
  if (!wellFormed) {
    ++*at;
    return 0x110000 + lead;
  }
  *at += length;
  return c;
}

}  // namespace

char32_t NtfsCapital(char32_t c) {
  if (c < 0x80) return c >= U'a' && c <= U'z' ? c - 0x20 : c;
  // Latin-1 Supplement (no capital for sharp s), Greek, Cyrillic, Armenian,
  // circled and full-width Latin, small Roman numerals: a fixed distance.
  if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2) || (c >= 0x430 && c <= 0x44F) ||
      (c >= 0xFF41 && c <= 0xFF5A)) {
    return c - 0x20;
  }
  if (c >= 0x450 && c <= 0x45F) return c - 0x50;
  if (c >= 0x561 && c <= 0x586) return c - 0x30;
  if (c >= 0x24D0 && c <= 0x24E9) return c - 26;
  if (c >= 0x2170 && c <= 0x217F) return c - 0x10;
  switch (c) {
    case 0xFF:
      return 0x178;
    case 0x3AC:
      return 0x386;
    case 0x3AD:
    case 0x3AE:
    case 0x3AF:
      return c - 0x25;
    case 0x3C2:
      return 0x3A3;  // final sigma
    case 0x3CC:
      return 0x38C;
    case 0x3CD:
    case 0x3CE:
      return c - 0x3F;
    default:
      break;
  }
  // Latin Extended-A and -B, Coptic, Cyrillic, Latin Extended Additional:
  // pairs. Dotless i, long s and the like have no capital here.
  const bool small =
      SmallOfPair(c, 0x100, 0x12F, true) || SmallOfPair(c, 0x132, 0x137, true) || SmallOfPair(c, 0x139, 0x148, false) ||
      SmallOfPair(c, 0x14A, 0x177, true) || SmallOfPair(c, 0x179, 0x17E, false) ||
      SmallOfPair(c, 0x1CD, 0x1DC, false) || SmallOfPair(c, 0x1DE, 0x1EF, true) || SmallOfPair(c, 0x1F4, 0x1F5, true) ||
      SmallOfPair(c, 0x1F8, 0x21F, true) || SmallOfPair(c, 0x222, 0x233, true) || SmallOfPair(c, 0x3E2, 0x3EF, true) ||
      SmallOfPair(c, 0x460, 0x481, true) || SmallOfPair(c, 0x48A, 0x4BF, true) || SmallOfPair(c, 0x4C1, 0x4CE, false) ||
      SmallOfPair(c, 0x4D0, 0x50F, true) || SmallOfPair(c, 0x1E00, 0x1E95, true) ||
      SmallOfPair(c, 0x1EA0, 0x1EF9, true);
  return small ? c - 1 : c;
}

std::u32string Capitals(const std::string& text) {
  std::u32string capitals;
  for (size_t at = 0; at < text.size();) capitals += NtfsCapital(NextCharacter(text, &at));
  return capitals;
}

int CompareNames(const std::string& a, const std::string& b) {
  size_t i = 0, j = 0;
  while (i < a.size() && j < b.size()) {
    const char32_t x = NtfsCapital(NextCharacter(a, &i));
    const char32_t y = NtfsCapital(NextCharacter(b, &j));
    if (x != y) return x < y ? -1 : 1;
  }
  if (i < a.size()) return 1;
  return j < b.size() ? -1 : 0;
}

bool MatchesNameMask(const std::string& mask, const std::string& name) {
  if (mask == "*" || mask == "*.*") return true;
  return util::MatchesWildcards(Capitals(mask), Capitals(name), [](char32_t a, char32_t b) { return a == b; });
}

std::vector<std::string> PathParts(const std::string& path) {
  std::vector<std::string> parts;
  // A share's server and name are both its root.
  const bool share = path.size() > 1 && (path[0] == '\\' || path[0] == '/') && (path[1] == '\\' || path[1] == '/');
  const size_t floor = share ? 2 : 1;
  std::string part;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i < path.size() && path[i] != '\\' && path[i] != '/') {
      part += path[i];
      continue;
    }
    if (part == "..") {
      if (parts.size() > floor) parts.pop_back();
    } else if (!part.empty() && (part != "." || parts.empty())) {
      parts.push_back(part);
    }
    part.clear();
  }
  return parts;
}

}  // namespace platform::sim
