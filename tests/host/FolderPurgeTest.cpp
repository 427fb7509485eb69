// The shared cleaner helpers on the simulated machine: the folder purge with
// its two options, the index wipe, the mask deletion, registry deletions,
// the version query and the folder lookups.
#include <gtest/gtest.h>

#include "cleaner/FolderPurge.h"
#include "cleaner/SystemHelpers.h"
#include "platform/sim/SimPlatform.h"

namespace hosttest {
namespace {

using cleaner::PurgeFolder;
using cleaner::PurgeOptions;
using platform::kAttrHidden;
using platform::kAttrReadOnly;
using platform::kAttrSystem;
using platform::RegRoot;
using platform::RegValue;

class FolderPurgeTest : public ::testing::Test {
 protected:
  platform::sim::SimFileSystem& files = sim.files;
  platform::sim::SimPlatform sim;
  const std::string top = "C:\\t";

  // A tree with desktop.ini at three depths, a plain file beside each, and a
  // folder that holds nothing but a file.
  void MakeDesktopIniTree() {
    files.AddFile(top + "\\desktop.ini", "top");
    files.AddFile(top + "\\a.txt", "a");
    files.AddFile(top + "\\one\\DESKTOP.INI", "one");
    files.AddFile(top + "\\one\\b.txt", "b");
    files.AddFile(top + "\\one\\two\\desktop.ini", "two");
    files.AddFile(top + "\\one\\two\\c.txt", "c");
    files.AddFile(top + "\\plain\\d.txt", "d");
  }
};

TEST_F(FolderPurgeTest, DesktopIniStaysAtEveryDepthWithItsFoldersUnlessIncluded) {
  MakeDesktopIniTree();
  ASSERT_TRUE(PurgeFolder(files, top, PurgeOptions{}));
  EXPECT_EQ(files.List(top), (std::vector<std::string>{"desktop.ini", "one"}));
  EXPECT_EQ(files.List(top + "\\one"), (std::vector<std::string>{"DESKTOP.INI", "two"}));
  EXPECT_EQ(files.List(top + "\\one\\two"), (std::vector<std::string>{"desktop.ini"}));
  EXPECT_EQ(files.Content(top + "\\one\\two\\desktop.ini"), "two");

  files.AddFile(top + "\\one\\two\\again.txt");
  ASSERT_TRUE(PurgeFolder(files, top, PurgeOptions{true, false}));
  EXPECT_TRUE(files.IsDirectory(top)) << "the top folder itself stays";
  EXPECT_TRUE(files.List(top).empty());
}

TEST_F(FolderPurgeTest, ReadOnlyFilesInAPurgeGoButAMaskLeavesThem) {
  files.AddFile(top + "\\locked.txt", "x", kAttrReadOnly);
  files.AddFile(top + "\\sub\\locked.txt", "x", kAttrReadOnly);
  files.AddDirectory(top + "\\rodir");
  files.SetAttributes(top + "\\rodir", kAttrReadOnly);
  ASSERT_TRUE(PurgeFolder(files, top, PurgeOptions{}));
  EXPECT_TRUE(files.List(top).empty());

  files.AddFile(top + "\\keep.doc", "x", kAttrReadOnly);
  files.AddFile(top + "\\go.doc", "x");
  files.AddFile(top + "\\hidden.doc", "x", kAttrHidden);
  files.AddFile(top + "\\system.doc", "x", kAttrSystem);
  files.AddFile(top + "\\other.txt", "x");
  files.AddFile(top + "\\folder.doc\\inner.doc", "x");
  cleaner::DeleteFilesByMask(files, top, top + "\\", "*.doc");
  EXPECT_EQ(files.List(top),
            (std::vector<std::string>{"folder.doc", "hidden.doc", "keep.doc", "other.txt", "system.doc"}));
  EXPECT_TRUE(files.IsFile(top + "\\folder.doc\\inner.doc"));
}

TEST_F(FolderPurgeTest, FilesHeldOpenStayAndTheRestGoes) {
  files.AddFile(top + "\\busy\\in-use.log", "x");
  files.AddFile(top + "\\busy\\free.log", "x");
  files.HoldOpen(top + "\\busy\\in-use.log");
  ASSERT_TRUE(PurgeFolder(files, top, PurgeOptions{true, false}));
  EXPECT_EQ(files.List(top + "\\busy"), (std::vector<std::string>{"in-use.log"}));
  EXPECT_FALSE(PurgeFolder(files, top + "\\missing", PurgeOptions{})) << "a folder that cannot be listed";
}

TEST_F(FolderPurgeTest, ALinkInsideIsRemovedAsALinkAndItsTargetStaysWhole) {
  files.AddFile("C:\\Users\\me\\Documents\\thesis.doc", "precious");
  files.AddFile("C:\\Users\\me\\Documents\\sub\\notes.txt", "precious", kAttrReadOnly);
  files.AddFolderLink(top + "\\docs-link", "C:\\Users\\me\\Documents");
  files.AddFolderLink(top + "\\deeper\\again", "C:\\Users\\me\\Documents");
  files.AddDirectory("C:\\Users\\me\\Empty");
  files.AddFolderLink(top + "\\to-empty", "C:\\Users\\me\\Empty");
  files.AddFile(top + "\\junk.tmp");

  ASSERT_TRUE(PurgeFolder(files, top, PurgeOptions{true, true}));
  EXPECT_TRUE(files.List(top).empty());
  EXPECT_EQ(files.List("C:\\Users\\me\\Documents"), (std::vector<std::string>{"sub", "thesis.doc"}));
  EXPECT_EQ(files.Content("C:\\Users\\me\\Documents\\thesis.doc"), "precious");
  EXPECT_EQ(files.GetAttributes("C:\\Users\\me\\Documents\\sub\\notes.txt") & kAttrReadOnly, kAttrReadOnly);
  EXPECT_TRUE(files.IsDirectory("C:\\Users\\me\\Empty")) << "an empty target is not removed through its link";
}

TEST_F(FolderPurgeTest, IndexDatIsWipedPastItsHeaderWhenAskedThenDeleted) {
  std::string header(64, 'H');
  std::string big = header + std::string(100000 - 64, 'x');
  files.AddFile(top + "\\index.dat", big);
  ASSERT_TRUE(cleaner::WipeIndexDat(files, top, "index.dat"));
  std::string after = files.Content(top + "\\index.dat");
  ASSERT_EQ(after.size(), 100000u);
  EXPECT_EQ(after.substr(0, 64), header);
  EXPECT_EQ(after.find_first_not_of('\0', 64), std::string::npos);

  // Sizes at the block edges: exactly one block past the header, and one byte more.
  for (size_t size : {64u + 10000u, 64u + 10001u, 65u}) {
    files.AddFile(top + "\\edge.dat", std::string(size, 'x'));
    ASSERT_TRUE(cleaner::WipeIndexDat(files, top, "edge.dat"));
    std::string edge = files.Content(top + "\\edge.dat");
    EXPECT_EQ(edge.size(), size);
    EXPECT_EQ(edge.find_first_not_of('\0', 64), std::string::npos) << size;
    EXPECT_EQ(edge.substr(0, 64), std::string(64, 'x'));
  }

  files.AddFile(top + "\\small\\INDEX.DAT", std::string(64, 's'));
  int writesBefore = files.writeCount();
  ASSERT_TRUE(cleaner::WipeIndexDat(files, top + "\\small", "INDEX.DAT"));
  EXPECT_EQ(files.Content(top + "\\small\\INDEX.DAT"), std::string(64, 's')) << "64 bytes or less: not written";
  EXPECT_EQ(files.writeCount(), writesBefore + 1) << "opened once, nothing else";
  EXPECT_FALSE(cleaner::WipeIndexDat(files, top, "missing.dat"));
}

TEST_F(FolderPurgeTest, APurgeThatWipesLeavesAHeldIndexZeroedAndOthersUntouchedWithoutTheOption) {
  std::string content = std::string(64, 'H') + std::string(500, 'u');
  files.AddFile(top + "\\h\\index.dat", content);
  files.HoldOpen(top + "\\h\\index.dat");  // the holder shares writing, as the browser does
  files.AddFile(top + "\\k\\index.dat", content);
  files.HoldOpen(top + "\\k\\index.dat");

  ASSERT_TRUE(PurgeFolder(files, top + "\\h", PurgeOptions{false, true}));
  ASSERT_TRUE(PurgeFolder(files, top + "\\k", PurgeOptions{}));
  EXPECT_EQ(files.Content(top + "\\h\\index.dat"), std::string(64, 'H') + std::string(500, '\0'));
  EXPECT_EQ(files.Content(top + "\\k\\index.dat"), content);
}

TEST(SystemHelpersTest, RegistryDeletionsReportWhatTheSystemSaid) {
  platform::sim::SimPlatform sim;
  sim.registry.Set(RegRoot::CurrentUser, "Software\\A\\B", "v", RegValue::DWord(1));
  EXPECT_TRUE(cleaner::DeleteRegValue(sim.registry, RegRoot::CurrentUser, "Software\\A\\B", "v"));
  EXPECT_FALSE(cleaner::DeleteRegValue(sim.registry, RegRoot::CurrentUser, "Software\\A\\B", "v"));
  EXPECT_TRUE(cleaner::DeleteRegKey(sim.registry, RegRoot::CurrentUser, "Software\\A"));
  EXPECT_FALSE(sim.registry.KeyExists(RegRoot::CurrentUser, "Software\\A\\B"));
  EXPECT_FALSE(cleaner::DeleteRegKey(sim.registry, RegRoot::CurrentUser, "Software\\A"));
}

TEST(SystemHelpersTest, IsWinNTTriesTheExtendedStructureThenTheBasicOne) {
  platform::sim::SimPlatform sim;
  EXPECT_TRUE(cleaner::IsWinNT(sim.shell));
  EXPECT_EQ(sim.shell.versionCalls, (std::vector<uint32_t>{156}));

  sim.shell.versionCalls.clear();
  sim.shell.acceptedVersionSizes = {148};
  sim.shell.version = {4, 10, 2222, 1};  // Windows 98
  EXPECT_FALSE(cleaner::IsWinNT(sim.shell));
  EXPECT_EQ(sim.shell.versionCalls, (std::vector<uint32_t>{156, 148}));

  sim.shell.version = {4, 0, 1381, 2};  // NT 4: the family counts, not the version
  EXPECT_TRUE(cleaner::IsWinNT(sim.shell));

  sim.shell.acceptedVersionSizes.clear();
  EXPECT_FALSE(cleaner::IsWinNT(sim.shell)) << "both refused";
}

}  // namespace
}  // namespace hosttest
