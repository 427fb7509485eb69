// The shared cleaner helpers on the simulated machine: the folder purge with
// its two options, the index wipe, the mask deletion, registry deletions,
// the version query and the folder lookups.
#include <gtest/gtest.h>
#include <pthread.h>

#include <atomic>
#include <thread>

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
  // Windows matches a mask against short names too: "*.doc" lists this one.
  files.AddFile(top + "\\report.docx", "x");
  files.SetShortName(top + "\\report.docx", "REPORT~1.DOC");
  platform::FindData found;
  ASSERT_TRUE(files.FindFirst(top + "\\report~1.doc", &found));
  cleaner::DeleteFilesByMask(files, top, top + "\\", "*.doc");
  EXPECT_EQ(files.List(top), (std::vector<std::string>{"folder.doc", "hidden.doc", "keep.doc", "other.txt",
                                                       "report.docx", "system.doc"}));
  EXPECT_TRUE(files.IsFile(top + "\\folder.doc\\inner.doc"));
}

// A hard link in the purged tree is a second name of a file anywhere: its
// read-only bit is that file's, and stays.
TEST_F(FolderPurgeTest, AReadOnlyFileWithAnotherNameOutsideTheTreeKeepsItsBit) {
  const std::string outside = "C:\\Users\\me\\Documents\\signed.pdf";
  files.AddFile(outside, "precious", kAttrReadOnly);
  files.AddHardLink(outside, top + "\\sub\\signed.pdf");
  files.AddFile(top + "\\own.txt", "x", kAttrReadOnly);
  cleaner::PurgeTally tally;
  PurgeOptions options;
  options.tally = &tally;
  ASSERT_TRUE(PurgeFolder(files, top, options));
  EXPECT_EQ(files.GetAttributes(outside) & kAttrReadOnly, kAttrReadOnly);
  EXPECT_EQ(files.Content(outside), "precious");
  EXPECT_EQ(files.List(top), std::vector<std::string>{"sub"}) << "a read-only file of one name still goes";
  EXPECT_EQ(files.List(top + "\\sub"), std::vector<std::string>{"signed.pdf"});
  EXPECT_EQ(tally.left, 1u);
}

TEST_F(FolderPurgeTest, FilesHeldOpenStayAndTheRestGoes) {
  files.AddFile(top + "\\busy\\in-use.log", "x");
  files.AddFile(top + "\\busy\\free.log", "x");
  files.HoldOpen(top + "\\busy\\in-use.log");
  ASSERT_TRUE(PurgeFolder(files, top, PurgeOptions{true, false}));
  EXPECT_EQ(files.List(top + "\\busy"), (std::vector<std::string>{"in-use.log"}));
  EXPECT_FALSE(PurgeFolder(files, top + "\\missing", PurgeOptions{})) << "a folder that cannot be listed";
}

TEST_F(FolderPurgeTest, ALinkInsideIsRemovedAsALinkAndItsTargetStaysWholeButOtherReparsePointsAreOrdinary) {
  files.AddFile("C:\\Users\\me\\Documents\\thesis.doc", "precious");
  files.AddFile("C:\\Users\\me\\Documents\\sub\\notes.txt", "precious", kAttrReadOnly);
  files.AddFolderLink(top + "\\docs-link", "C:\\Users\\me\\Documents");
  files.AddFolderLink(top + "\\deeper\\again", "C:\\Users\\me\\Documents", platform::kReparseTagSymlink);
  files.AddFolderLink(top + "\\untagged", "C:\\Users\\me\\Documents", 0);  // as Wine lists a Unix link
  // Any name surrogate is a link: here WSL's (IO_REPARSE_TAG_LX_SYMLINK).
  files.AddFolderLink(top + "\\wsl", "C:\\Users\\me\\Documents", 0xA000001D);
  files.AddFileLink(top + "\\thesis-link.doc", "C:\\Users\\me\\Documents\\thesis.doc");
  files.AddDirectory("C:\\Users\\me\\Empty");
  files.AddFolderLink(top + "\\to-empty", "C:\\Users\\me\\Empty");
  files.AddFile(top + "\\junk.tmp");
  // A cloud placeholder folder and a deduplicated file are no links.
  files.AddFile(top + "\\OneDrive\\photo.jpg");
  files.MakeReparsePoint(top + "\\OneDrive", 0x9000601A);
  files.MakeReparsePoint(top + "\\OneDrive\\photo.jpg", 0x9000001A);
  files.AddFile(top + "\\dedup.bin");
  files.MakeReparsePoint(top + "\\dedup.bin", 0x80000013);

  ASSERT_TRUE(PurgeFolder(files, top, PurgeOptions{true, true}));
  EXPECT_TRUE(files.List(top).empty());
  EXPECT_EQ(files.List("C:\\Users\\me\\Documents"), (std::vector<std::string>{"sub", "thesis.doc"}));
  EXPECT_EQ(files.Content("C:\\Users\\me\\Documents\\thesis.doc"), "precious");
  EXPECT_EQ(files.GetAttributes("C:\\Users\\me\\Documents\\sub\\notes.txt") & kAttrReadOnly, kAttrReadOnly);
  EXPECT_TRUE(files.IsDirectory("C:\\Users\\me\\Empty")) << "an empty target is not removed through its link";
}

TEST_F(FolderPurgeTest, NothingIsDeletedInAFolderThatIsALinkOrIsReachedThroughOneBelowItsStartAndEachIsTold) {
  const std::string start = "C:\\ProgramData";
  const std::string victim = "C:\\users\\other\\Documents";
  // The target is start\a\b; a link at either level leads to the other
  // user's files, and is the one named.
  for (const std::string& linked : {start + "\\a", start + "\\a\\b"}) {
    platform::sim::SimFileSystem fs;
    fs.AddFile(victim + "\\b\\letter.doc", "mine");
    fs.AddFile(victim + "\\letter.doc", "mine");
    fs.AddFolderLink(linked, linked.size() == start.size() + 2 ? victim : victim + "\\b");
    std::vector<std::string> refused;
    PurgeOptions options;
    options.refusedLinks = &refused;
    EXPECT_FALSE(PurgeFolder(fs, start, start + "\\a\\b", options));
    cleaner::DeleteFilesByMask(fs, start, start + "\\a\\b\\", "*.doc", &refused);
    EXPECT_EQ(fs.Content(victim + "\\b\\letter.doc"), "mine") << linked;
    EXPECT_EQ(fs.Content(victim + "\\letter.doc"), "mine") << linked;
    EXPECT_EQ(refused, (std::vector<std::string>{linked, linked})) << "the purge's and the mask's";
  }
  // A folder merely missing is no link refused.
  std::vector<std::string> refused;
  PurgeOptions options;
  options.refusedLinks = &refused;
  EXPECT_FALSE(PurgeFolder(files, "C:\\ProgramData", "C:\\ProgramData\\gone", options));
  EXPECT_TRUE(refused.empty());

  // The folder the system named is its owner's to move: a junction there is
  // followed and what it leads to emptied, the folder itself kept.
  const std::string moved = "D:\\Moved\\Favorites";
  files.AddFile(moved + "\\site.url", "x");
  files.AddFile(moved + "\\Links\\bar.url", "x");
  files.AddFolderLink(top, moved);
  EXPECT_TRUE(PurgeFolder(files, top, options));
  EXPECT_TRUE(files.IsDirectory(moved));
  EXPECT_TRUE(files.List(moved).empty());
  EXPECT_TRUE(refused.empty());

  // Above the start is the system's business; a placeholder on the way is no link.
  files.AddFile("C:\\Real\\Data\\Cache\\x.tmp");
  files.AddFolderLink("C:\\Linked", "C:\\Real");
  files.MakeReparsePoint("C:\\Real\\Data", 0x9000601A);
  EXPECT_TRUE(PurgeFolder(files, "C:\\Linked\\", "C:\\Linked\\Data\\Cache\\", PurgeOptions{}));
  EXPECT_TRUE(files.List("C:\\Real\\Data\\Cache").empty());
}

// Another user who may write in a purged folder swaps a subfolder for a link
// to a folder of someone else's while the purge works: before the purge
// opened the subfolder, or after.
TEST_F(FolderPurgeTest, AFolderSwappedForALinkDuringThePurgeLeadsItNowhere) {
  const std::string victim = "C:\\Users\\other\\Documents";
  for (int heldAt : {0, 1}) {
    SCOPED_TRACE(heldAt == 0 ? "swapped before the subfolder was opened" : "swapped while it was emptied");
    platform::sim::SimFileSystem fs;
    fs.AddFile(top + "\\a.txt");
    fs.AddFile(top + "\\sub\\b.txt");
    fs.AddFile(top + "\\sub\\deeper\\c.txt");
    for (const char* name : {"\\b.txt", "\\deeper\\c.txt", "\\letter.doc"}) fs.AddFile(victim + name, "mine");
    // Held at the deletion of a.txt in the top folder, or of b.txt in sub.
    fs.gate.HoldAt("RemoveFile", heldAt);
    bool purged = false;
    std::vector<std::string> refused;
    PurgeOptions options;
    options.refusedLinks = &refused;
    std::thread worker([&] { purged = PurgeFolder(fs, top, options); });
    EXPECT_TRUE(fs.gate.WaitUntilHeld(10000));
    fs.Move(top + "\\sub", "C:\\moved");
    fs.AddFolderLink(top + "\\sub", victim);
    fs.gate.Release();
    worker.join();
    EXPECT_TRUE(purged);
    EXPECT_TRUE(refused.empty()) << "the link is no entry the purge listed: nothing it chose was refused";
    EXPECT_EQ(fs.List(victim), (std::vector<std::string>{"b.txt", "deeper", "letter.doc"}));
    EXPECT_EQ(fs.Content(victim + "\\deeper\\c.txt"), "mine");
    EXPECT_EQ(fs.List(top), std::vector<std::string>{"sub"}) << "the link stays";
    if (heldAt == 0) {
      EXPECT_EQ(fs.List("C:\\moved"), (std::vector<std::string>{"b.txt", "deeper"})) << "no longer in the tree";
    } else {
      EXPECT_FALSE(fs.Exists("C:\\moved")) << "the folder opened was emptied and removed, wherever it went";
    }
  }
}

TEST_F(FolderPurgeTest, EmptyRelativeAndRootFoldersAndFoldersOutsideTheStartAreRefused) {
  files.AddFile("C:\\boot.ini");
  files.AddFile("C:\\t\\x.txt");
  files.AddFile("C:\\other\\y.txt");
  for (const char* folder :
       {"", "t", "\\t", "C:t", "C:", "C:\\", "C:\\\\", "\\\\server\\share", "\\\\server\\share\\"}) {
    EXPECT_FALSE(PurgeFolder(files, folder, PurgeOptions{})) << folder;
    cleaner::DeleteFilesByMask(files, folder, folder, "*.*");
  }
  EXPECT_FALSE(PurgeFolder(files, "C:\\t", "C:\\other", PurgeOptions{}));
  EXPECT_FALSE(PurgeFolder(files, "C:\\t", "C:\\tother", PurgeOptions{}));
  EXPECT_FALSE(PurgeFolder(files, "C:\\t", "C:\\t\\..\\other", PurgeOptions{}));
  EXPECT_EQ(files.List("C:\\"), (std::vector<std::string>{"boot.ini", "other", "t", "users"}));
  EXPECT_EQ(files.List("C:\\other"), std::vector<std::string>{"y.txt"});
  EXPECT_EQ(files.List("C:\\t"), std::vector<std::string>{"x.txt"});
}

// A tree deeper than the stack of a recursive walk would take: emptied on a
// thread with a small stack.
TEST_F(FolderPurgeTest, ADeepTreeIsEmptiedOnASmallStack) {
  std::string deep = top;
  for (int level = 0; level < 1000; ++level) deep += "\\d";
  files.AddFile(deep + "\\bottom.txt");
  struct Job {
    platform::sim::SimFileSystem* files;
    std::string top;
    bool purged = false;
  } job{&files, top};
  pthread_attr_t attributes;
  pthread_attr_init(&attributes);
  pthread_attr_setstacksize(&attributes, 256 * 1024);
  pthread_t worker;
  ASSERT_EQ(pthread_create(
                &worker, &attributes,
                [](void* p) -> void* {
                  auto* job = static_cast<Job*>(p);
                  job->purged = PurgeFolder(*job->files, job->top, PurgeOptions{});
                  return nullptr;
                },
                &job),
            0);
  pthread_join(worker, nullptr);
  pthread_attr_destroy(&attributes);
  EXPECT_TRUE(job.purged);
  EXPECT_TRUE(files.List(top).empty());
}

TEST_F(FolderPurgeTest, AStopEndsThePurgeBeforeItsNextDeletion) {
  files.AddFile(top + "\\a.txt");
  files.AddFile(top + "\\sub\\b.txt");
  std::atomic<bool> stop{true};
  PurgeOptions options;
  options.stop = &stop;
  EXPECT_TRUE(PurgeFolder(files, top, options));
  EXPECT_EQ(files.List(top), (std::vector<std::string>{"a.txt", "sub"}));
  stop = false;
  EXPECT_TRUE(PurgeFolder(files, top, options));
  EXPECT_TRUE(files.List(top).empty());
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
