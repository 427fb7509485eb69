// The vendor's web site: its address, the spaced form the labels show, and
// the address such a label opens.
#pragma once

#include <string>

namespace services {

// A reserved domain, so that no real third party's site is ever opened.
constexpr const char* kVendorSite = "https://www.tessaly.example";
// The address as the link labels show it: one blank between every two characters.
constexpr const char* kSpacedAddress = "w w w . t e s s a l y . e x a m p l e";

// The address a link label shows, without the blanks between its characters.
inline std::string AddressOf(const std::string& labelCaption) {
  std::string out;
  for (char c : labelCaption) {
    if (c != ' ') out += c;
  }
  return out;
}

}  // namespace services
