// The ANSI code page conversion the keep-list file is written and read with.
#include <gtest/gtest.h>

#include "ContractEnv.h"

namespace contract {
namespace {

std::string ToAnsi(const std::string& utf8) {
  std::string ansi = "poison";
  EXPECT_TRUE(Env().platform().ansi.FromUtf8(utf8, &ansi)) << utf8;
  return ansi;
}

std::string FromAnsi(const std::string& ansi) {
  std::string utf8 = "poison";
  EXPECT_TRUE(Env().platform().ansi.ToUtf8(ansi, &utf8)) << ansi;
  return utf8;
}

TEST(AnsiTextContract, TextRoundTripsAndTakesOneByteACharacter) {
  EXPECT_EQ(ToAnsi("www.example.com\r\n"), "www.example.com\r\n");
  EXPECT_EQ(FromAnsi("www.example.com\r\n"), "www.example.com\r\n");
  EXPECT_EQ(ToAnsi(""), "");
  EXPECT_EQ(FromAnsi(""), "");
  // "köln" in the Western code page (1252 here and in the simulation's Latin-1).
  std::string bytes = ToAnsi("k\xC3\xB6ln.example");
  EXPECT_EQ(bytes, "k\xF6ln.example");
  EXPECT_EQ(FromAnsi(bytes), "k\xC3\xB6ln.example");
}

}  // namespace
}  // namespace contract
