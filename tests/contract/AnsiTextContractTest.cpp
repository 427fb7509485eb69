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

// A character the code page lacks is no character of it: not the default
// character, and not the look-alike Windows puts in its place ("best fit":
// 1252 would give "l" for the Polish "ł").
TEST(AnsiTextContract, TextTheCodePageCannotHoldIsNotConverted) {
  for (const std::string& utf8 :
       {std::string("\xC5\x82odz.example"), std::string("\xE6\x97\xA5\xE6\x9C\xAC.example")}) {
    std::string ansi = "poison";
    EXPECT_FALSE(Env().platform().ansi.FromUtf8(utf8, &ansi)) << utf8;
    EXPECT_EQ(ansi, "poison");
  }
}

}  // namespace
}  // namespace contract
