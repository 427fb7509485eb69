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

TEST_F(KeepList, LivesInTheSettingsFolderBesideTheExecutable) { EXPECT_EQ(cookies::KeepListPath(sim.platform), kFile); }

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

// Every user may write in "Settings" (the installer grants it), so any of
// them may put a link in the place of the folder or the file, or give the
// file a second name, to make everybody's program use another file.
TEST_F(KeepList, NothingIsReadWrittenOrMadeThroughALinkOrAHardLink) {
  const std::string elsewhere = "C:\\users\\other\\Documents";
  const std::string precious = elsewhere + "\\SafeCookies.txt";
  auto plant = [&](platform::sim::SimPlatform& machine, int how) {
    machine.files.AddDirectory("C:\\Program Files\\Corvane");
    machine.files.AddFile(precious, "secret.example\r\n");
    if (how == 0) machine.files.AddFolderLink(kFolder, elsewhere);
    if (how == 1) machine.files.AddFolderLink(kFolder, elsewhere, platform::kReparseTagSymlink);
    if (how == 2) machine.files.AddFileLink(kFile, precious);
    if (how == 3) machine.files.AddHardLink(precious, kFile);
  };
  for (int how = 0; how < 4; ++how) {
    platform::sim::SimPlatform machine;
    plant(machine, how);
    EXPECT_THROW(ReadKeepList(machine.platform), cookies::KeepListError) << how;
    std::string why;
    EXPECT_FALSE(WriteKeepList(machine.platform, {"a.example"}, &why)) << how;
    EXPECT_NE(why.find("link"), std::string::npos) << why;
    EXPECT_FALSE(WriteKeepList(machine.platform, {}, &why)) << how;
    EXPECT_EQ(machine.files.Content(precious), "secret.example\r\n") << how;
    EXPECT_EQ(machine.files.List(elsewhere), Lines{"SafeCookies.txt"}) << "no temporary file either";
    EXPECT_EQ(machine.files.writeCount(), 0);
  }
  // The program's own folder may be reached through a link: that is no planted one.
  platform::sim::SimPlatform machine;
  machine.files.AddFile("D:\\Apps\\Corvane\\Settings\\SafeCookies.txt", "kept.example\r\n");
  machine.files.AddFolderLink("C:\\Program Files\\Corvane", "D:\\Apps\\Corvane");
  EXPECT_EQ(ReadKeepList(machine.platform), Lines{"kept.example"});
  EXPECT_TRUE(WriteKeepList(machine.platform, {"new.example"}));
}

TEST_F(KeepList, AListTooLargeOrAConversionTheSystemRefusesIsAnErrorNeverAnEmptyList) {
  sim.files.AddFile(kFile, std::string((16 << 20) + 1, 'x'));
  EXPECT_THROW(ReadKeepList(sim.platform), cookies::KeepListError);
  std::string why;
  EXPECT_FALSE(WriteKeepList(sim.platform, {std::string(16 << 20, 'y')}, &why));
  EXPECT_NE(why.find("larger than 16 MB"), std::string::npos) << why;
  EXPECT_EQ(sim.files.Content(kFile).size(), (16u << 20) + 1);

  sim.files.AddFile(kFile, "kept.example\r\n");
  sim.ansi.refuse = true;
  EXPECT_THROW(ReadKeepList(sim.platform), cookies::KeepListError);
  EXPECT_FALSE(WriteKeepList(sim.platform, {"other.example"}, &why));
  EXPECT_NE(why.find("cannot be converted"), std::string::npos) << why;
  EXPECT_EQ(sim.files.Content(kFile), "kept.example\r\n");
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
  platform::Platform withReader{p.registry, p.process,  clock,        p.files,    p.desktop, p.sound,     p.audio,
                                p.shell,    p.urlCache, p.urlHistory, p.security, p.ansi,    p.databases, p.http};
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
