// The keep-list file: where it lives, how it is read and written, and that a
// save never leaves half a list.
#include <gtest/gtest.h>

#include "cookies/KeepList.h"
#include "platform/sim/SimPlatform.h"

namespace hosttest {
namespace {

using cookies::ReadKeepList;
using cookies::WriteKeepList;
using Lines = std::vector<std::string>;

constexpr const char* kFolder = "C:\\Program Files\\Corvane\\Settings";
constexpr const char* kFile = "C:\\Program Files\\Corvane\\Settings\\SafeCookies.txt";

class KeepList : public ::testing::Test {
 protected:
  void SetUp() override { sim.files.AddDirectory("C:\\Program Files\\Corvane"); }
  platform::sim::SimPlatform sim;
};

TEST_F(KeepList, LivesInTheSettingsFolderBesideTheExecutable) {
  EXPECT_EQ(cookies::KeepListPath(sim.platform), kFile);
}

TEST_F(KeepList, MissingFileIsAnEmptyListAndOnlyTheFolderIsMade) {
  EXPECT_TRUE(ReadKeepList(sim.platform).empty());
  EXPECT_TRUE(sim.files.IsDirectory(kFolder));
  EXPECT_FALSE(sim.files.Exists(kFile));
}

TEST_F(KeepList, ReadsEveryLineEndAndALastLineWithoutOneUntrimmed) {
  sim.files.AddFile(kFile, "lf.example\nCrLf.example\r\ncr.example\r\r\n trailing.example \nlast.example");
  EXPECT_EQ(ReadKeepList(sim.platform),
            (Lines{"lf.example", "CrLf.example", "cr.example", "", " trailing.example ", "last.example"}));

  sim.files.AddFile(kFile, "one\n");
  EXPECT_EQ(ReadKeepList(sim.platform), Lines{"one"}) << "a final line end adds no empty line";
  sim.files.AddFile(kFile, "");
  EXPECT_TRUE(ReadKeepList(sim.platform).empty());
}

TEST_F(KeepList, WritesCrLfAfterEveryLineInTheAnsiCodePage) {
  ASSERT_TRUE(WriteKeepList(sim.platform, {"b.example", "a.example", "k\xC3\xB6ln.example"}));
  EXPECT_EQ(sim.files.Content(kFile), "b.example\r\na.example\r\nk\xF6ln.example\r\n");
  EXPECT_EQ(ReadKeepList(sim.platform), (Lines{"b.example", "a.example", "k\xC3\xB6ln.example"}));
}

TEST_F(KeepList, AnEmptyListIsAZeroByteFile) {
  sim.files.AddFile(kFile, "old.example\r\n");
  ASSERT_TRUE(WriteKeepList(sim.platform, {}));
  ASSERT_TRUE(sim.files.IsFile(kFile));
  EXPECT_EQ(sim.files.Content(kFile), "");
}

TEST_F(KeepList, AFileThatExistsButCannotBeReadRaisesAReadableError) {
  sim.files.AddFile(kFile, "kept.example\r\n");
  sim.files.MakeUnreadable(kFile);
  try {
    ReadKeepList(sim.platform);
    FAIL() << "no error raised";
  } catch (const cookies::KeepListError& e) {
    EXPECT_NE(std::string(e.what()).find(kFile), std::string::npos) << e.what();
    EXPECT_NE(std::string(e.what()).find("cannot be read"), std::string::npos) << e.what();
  }
}

TEST_F(KeepList, AFailedSaveSaysWhyAndLeavesTheOldListWhole) {
  sim.files.AddFile(kFile, "a.example\r\nb.example\r\n");
  sim.files.MakeUnwritable(kFile);
  std::string why;
  EXPECT_FALSE(WriteKeepList(sim.platform, {"c.example"}, &why));
  EXPECT_NE(why.find("cannot be written"), std::string::npos) << why;
  EXPECT_EQ(sim.files.Content(kFile), "a.example\r\nb.example\r\n");
  EXPECT_EQ(sim.clock.sleeps().size(), 9u) << "ten attempts in all, a short pause between them";
}

// A reader that lets go of the file during the writer's third pause.
class ReaderLeaves : public platform::Clock {
 public:
  explicit ReaderLeaves(platform::sim::SimFileSystem& files) : files_(files) {}
  uint64_t NowMs() override { return 0; }
  void Sleep(uint32_t) override {
    if (++pauses == 3) files_.Release(kFile);
  }
  int pauses = 0;

 private:
  platform::sim::SimFileSystem& files_;
};

TEST_F(KeepList, ASaveThatMeetsAReaderWaitsAndTriesAgain) {
  sim.files.AddFile(kFile, "a.example\r\n");
  sim.files.HoldOpen(kFile);
  ReaderLeaves clock(sim.files);
  platform::Platform p = sim.platform;
  platform::Platform withReader{p.registry, p.process, clock, p.files, p.desktop, p.sound, p.mixer,
                                p.shell, p.urlCache, p.urlHistory, p.security, p.ansi};
  ASSERT_TRUE(WriteKeepList(withReader, {"c.example"}));
  EXPECT_EQ(sim.files.Content(kFile), "c.example\r\n");
  EXPECT_EQ(clock.pauses, 3);
}

TEST_F(KeepList, WithoutTheSettingsFolderReadersSeeNothingAndTheWriterFails) {
  sim.files.MakeUnwritable("C:\\Program Files\\Corvane");
  EXPECT_TRUE(ReadKeepList(sim.platform).empty());
  std::string why;
  EXPECT_FALSE(WriteKeepList(sim.platform, {"a.example"}, &why));
  EXPECT_NE(why.find("cannot be created"), std::string::npos) << why;
  EXPECT_FALSE(sim.files.Exists(kFolder));
}

}  // namespace
}  // namespace hosttest
