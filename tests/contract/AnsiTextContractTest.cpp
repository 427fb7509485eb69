// The ANSI code page conversion the keep-list file is written and read with.
#include <gtest/gtest.h>

#include "ContractEnv.h"

namespace contract {
namespace {

TEST(AnsiTextContract, TextRoundTripsAndTakesOneByteACharacter) {
  platform::AnsiText& ansi = Env().platform().ansi;
  EXPECT_EQ(ansi.FromUtf8("www.example.com\r\n"), "www.example.com\r\n");
  EXPECT_EQ(ansi.ToUtf8("www.example.com\r\n"), "www.example.com\r\n");
  EXPECT_EQ(ansi.FromUtf8(""), "");
  // "köln" in the Western code page (1252 here and in the simulation's Latin-1).
  std::string bytes = ansi.FromUtf8("k\xC3\xB6ln.example");
  EXPECT_EQ(bytes, "k\xF6ln.example");
  EXPECT_EQ(ansi.ToUtf8(bytes), "k\xC3\xB6ln.example");
}

}  // namespace
}  // namespace contract
