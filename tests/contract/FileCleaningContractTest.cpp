// The file behaviours a cleaning relies on: listings with attributes,
// attribute changes, what deletion refuses, files held by another program,
// writing into an existing file, names outside the ANSI code page, long
// paths and INI writes.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "ContractEnv.h"
#include "util/Text.h"

namespace contract {
namespace {

using util::EqualNoCase;

using platform::FileSystem;
using platform::kAttrDirectory;
using platform::kAttrHidden;
using platform::kAttrReadOnly;

class FileCleaningContract : public ::testing::Test {
 protected:
  FileSystem& files() { return Env().platform().files; }
  void MakeFile(const std::string& path, const std::string& bytes = "x") {
    ASSERT_EQ(files().ReplaceWholeFile(path, bytes), platform::kErrorSuccess) << path;
  }
  // Every entry of a listing with its attributes (the order is the file system's own).
  std::map<std::string, uint32_t> Listing(const std::string& pattern) {
    std::map<std::string, uint32_t> entries;
    platform::FindData data;
    data.name = "poison";
    auto find = files().FindFirst(pattern, &data);
    if (!find) return entries;
    do entries[data.name] = data.attributes;
    while (find->Next(&data));
    return entries;
  }
  // The entry a listing of `folder` gives for `name`; empty when none.
  platform::FindData Listed(const std::string& folder, const std::string& name) {
    platform::FindData data;
    auto find = files().FindFirst(folder + "\\*.*", &data);
    if (find) {
      do {
        if (data.name == name) return data;
      } while (find->Next(&data));
    }
    return {};
  }
  // The entry `name` as a listing through the handle of `folder` gives it.
  platform::FindData ListedThrough(platform::FolderHandle& folder, const std::string& name) {
    std::vector<platform::FindData> entries;
    EXPECT_TRUE(folder.List(&entries)) << folder.path();
    for (const platform::FindData& entry : entries) {
      if (entry.name == name) return entry;
    }
    ADD_FAILURE() << name << " is not listed";
    return {};
  }
  // Deletes `name` through the handle of `folder`, as a listing through it gave it.
  bool RemoveListed(const std::string& folder, const std::string& name) {
    std::unique_ptr<platform::FolderHandle> home = files().OpenFolder(folder, true);
    if (!home) {
      ADD_FAILURE() << folder << " cannot be opened";
      return false;
    }
    platform::FindData entry = ListedThrough(*home, name);
    return home->RemoveEntry(name, entry.fileId);
  }
  // The entry a path without wildcards finds: the entry itself.
  platform::FindData Found(const std::string& path) {
    platform::FindData data;
    data.name = "poison";
    EXPECT_TRUE(files().FindFirst(path, &data)) << path;
    return data;
  }
  std::string Read(const std::string& path) {
    std::string bytes = "poison";
    EXPECT_EQ(files().ReadWholeFile(path, &bytes), platform::kErrorSuccess) << path;
    return bytes;
  }
};

TEST_F(FileCleaningContract, AListingGivesDotEntriesNamesAndAttributes) {
  std::string root = Env().NewScratchFolder();
  ASSERT_TRUE(files().MakeFolder(root + "\\sub"));
  MakeFile(root + "\\a.txt");
  MakeFile(root + "\\b.doc");
  ASSERT_TRUE(files().SetAttributes(root + "\\a.txt", kAttrReadOnly));

  auto all = Listing(root + "\\*.*");
  ASSERT_EQ(all.size(), 5u);
  EXPECT_TRUE(all.count(".") && all.count(".."));
  EXPECT_EQ(all["sub"] & (kAttrDirectory | kAttrReadOnly), kAttrDirectory);
  EXPECT_EQ(all["a.txt"] & (kAttrDirectory | kAttrReadOnly), kAttrReadOnly);
  EXPECT_EQ(all["b.doc"] & (kAttrDirectory | kAttrReadOnly), 0u);

  auto docs = Listing(root + "\\\\*.doc");  // a doubled separator is accepted
  EXPECT_EQ(docs.size(), 1u);
  EXPECT_TRUE(docs.count("b.doc"));
  EXPECT_TRUE(Listing(root + "\\*.pls").empty());
  EXPECT_EQ(Listing(root + "\\sub\\*.*").size(), 2u) << "an empty folder lists . and ..";
  platform::FindData data;
  EXPECT_EQ(files().FindFirst(root + "\\missing\\*.*", &data), nullptr);

  EXPECT_TRUE(files().SetAttributes(root + "\\a.txt", 0x80));  // FILE_ATTRIBUTE_NORMAL
  ASSERT_TRUE(files().RemoveFile(root + "\\a.txt"));
  ASSERT_TRUE(files().RemoveFile(root + "\\b.doc"));
}

TEST_F(FileCleaningContract, ReadOnlyFilesAndFullFoldersRefuseDeletionUntilCleared) {
  std::string root = Env().NewScratchFolder();
  MakeFile(root + "\\ro.txt");
  uint32_t before = files().GetAttributes(root + "\\ro.txt");
  ASSERT_NE(before, platform::kInvalidAttributes);
  ASSERT_TRUE(files().SetAttributes(root + "\\ro.txt", before | kAttrReadOnly));
  EXPECT_EQ(files().GetAttributes(root + "\\ro.txt") & kAttrReadOnly, kAttrReadOnly);
  EXPECT_FALSE(files().RemoveFile(root + "\\ro.txt"));
  EXPECT_EQ(files().LastError(), platform::kErrorAccessDenied);
  EXPECT_FALSE(RemoveListed(root, "ro.txt"));
  EXPECT_FALSE(files().RemoveFolder(root)) << "a folder with something in it stays";
  EXPECT_EQ(files().LastError(), platform::kErrorDirNotEmpty);
  ASSERT_TRUE(files().SetAttributes(root + "\\ro.txt", files().GetAttributes(root + "\\ro.txt") & ~kAttrReadOnly));
  EXPECT_EQ(files().GetAttributes(root + "\\ro.txt") & kAttrReadOnly, 0u);
  EXPECT_TRUE(files().RemoveFile(root + "\\ro.txt"));
  EXPECT_EQ(files().GetAttributes(root + "\\ro.txt"), platform::kInvalidAttributes);
  EXPECT_FALSE(files().SetAttributes(root + "\\ro.txt", 0));
  EXPECT_EQ(files().LastError(), platform::kErrorFileNotFound);
  EXPECT_FALSE(files().RemoveFile(root + "\\ro.txt"));
  EXPECT_EQ(files().LastError(), platform::kErrorFileNotFound);
  EXPECT_FALSE(files().RemoveFile(root + "\\gone\\ro.txt"));
  EXPECT_EQ(files().LastError(), platform::kErrorPathNotFound);
  EXPECT_FALSE(files().RemoveFile(root)) << "a folder is not a file";
  EXPECT_EQ(files().LastError(), platform::kErrorAccessDenied);
  EXPECT_TRUE(files().RemoveFolder(root));
}

TEST_F(FileCleaningContract, LinksAreListedAsLinksAndRemovingOneNeverReachesWhatItLeadsTo) {
  std::string root = Env().NewScratchFolder();
  ASSERT_TRUE(files().MakeFolder(root + "\\target"));
  MakeFile(root + "\\target\\kept.txt", "kept");
  MakeFile(root + "\\file.txt");
  std::unique_ptr<platform::FolderHandle> home = files().OpenFolder(root, true);
  ASSERT_TRUE(home);
  EXPECT_FALSE(home->RemoveEntry("target", 0)) << "a folder that is no link";
  EXPECT_EQ(files().LastError(), platform::kErrorStoppedOnSymlink);
  EXPECT_FALSE(home->RemoveEntry("missing", 0));
  EXPECT_EQ(files().LastError(), platform::kErrorFileNotFound);
  EXPECT_TRUE(files().IsDirectory(root + "\\target"));
  if (!Env().MakeLink(root + "\\folder-link", root + "\\target", true) ||
      !Env().MakeLink(root + "\\file-link.txt", root + "\\target\\kept.txt", false)) {
    GTEST_SKIP() << "this system makes no symbolic links here";
  }

  // A link to a folder: a directory and reparse point, in a listing and
  // found by its own path, with the symbolic link's tag on Windows.
  for (const platform::FindData& entry : {Listed(root, "folder-link"), Found(root + "\\folder-link")}) {
    EXPECT_EQ(entry.name, "folder-link");
    EXPECT_EQ(entry.attributes & 0x410, 0x410u);
    // Wine lists a Unix symbolic link without its tag: 0.
    EXPECT_EQ(entry.reparseTag, WindowsOrWine<uint32_t>(platform::kReparseTagSymlink, 0))
        << std::hex << entry.reparseTag;
    EXPECT_TRUE(platform::IsLink(entry));
  }
  EXPECT_EQ(files().GetAttributes(root + "\\folder-link") & 0x410, 0x410u);

  // A link to a file: a reparse point with the same tag. Wine shows a Unix
  // symbolic link to a file as the plain file it leads to.
  for (const platform::FindData& entry : {Listed(root, "file-link.txt"), Found(root + "\\file-link.txt")}) {
    EXPECT_EQ(entry.attributes & kAttrDirectory, 0u);
    EXPECT_EQ(entry.attributes & platform::kAttrReparsePoint, WindowsOrWine<uint32_t>(platform::kAttrReparsePoint, 0))
        << std::hex << entry.attributes;
    EXPECT_EQ(entry.reparseTag, WindowsOrWine<uint32_t>(platform::kReparseTagSymlink, 0))
        << std::hex << entry.reparseTag;
  }

  // Opened, each leads to its target: under Wine the only sign of a link to a file.
  platform::FileIdentity identity;
  ASSERT_TRUE(files().Identify(root + "\\folder-link", &identity));
  EXPECT_TRUE(EqualNoCase(identity.finalPath, root + "\\target")) << identity.finalPath;
  ASSERT_TRUE(files().Identify(root + "\\file-link.txt", &identity));
  EXPECT_TRUE(EqualNoCase(identity.finalPath, root + "\\target\\kept.txt")) << identity.finalPath;
  EXPECT_EQ(identity.linkCount, 1u);
  ASSERT_TRUE(files().Identify(root + "\\folder-link\\kept.txt", &identity));
  EXPECT_TRUE(EqualNoCase(identity.finalPath, root + "\\target\\kept.txt")) << identity.finalPath;

  // Through the folder's handle, a link is never opened as the folder it stands for.
  EXPECT_EQ(home->OpenFolder("folder-link", 0), nullptr);
  EXPECT_EQ(files().LastError(), platform::kErrorStoppedOnSymlink);
  EXPECT_EQ(files().OpenFolder(root + "\\folder-link", true), nullptr) << "by its path, as itself";
  std::unique_ptr<platform::FolderHandle> followed = files().OpenFolder(root + "\\folder-link", false);
  ASSERT_TRUE(followed) << "followed when asked to";
  // The handle says where it is, the way a check of the place must look.
  std::string reached = "poison";
  ASSERT_TRUE(followed->FinalPath(&reached));
  EXPECT_TRUE(EqualNoCase(reached, root + "\\target")) << reached;
  ASSERT_TRUE(home->FinalPath(&reached));
  EXPECT_TRUE(EqualNoCase(reached, root)) << reached;

  // The read-only bit of what a link to a file leads to is never cleared
  // through the link: Windows lists the link as one, and Wine's handle for a
  // Unix link reaches another name than the one listed.
  ASSERT_TRUE(files().SetAttributes(root + "\\target\\kept.txt", kAttrReadOnly));
  EXPECT_FALSE(home->ClearReadOnly("file-link.txt", ListedThrough(*home, "file-link.txt").fileId));
  EXPECT_EQ(files().LastError(), platform::kErrorStoppedOnSymlink);
  EXPECT_EQ(files().GetAttributes(root + "\\target\\kept.txt") & kAttrReadOnly, kAttrReadOnly);
  ASSERT_TRUE(files().SetAttributes(root + "\\target\\kept.txt", platform::kAttrNormal));

  // Windows removes the link itself; Wine cannot remove a Unix symbolic
  // link without reaching its target, so there the link stays.
  platform::FindData listed = ListedThrough(*home, "folder-link");
  EXPECT_TRUE(platform::IsLink(listed));
  bool removed = home->RemoveEntry("folder-link", listed.fileId);
  // Wine's refusal, so that a report can say why the link is still there.
  if (!removed) {
    EXPECT_EQ(files().LastError(), platform::kErrorStoppedOnSymlink);
  }
  bool gone = files().GetAttributes(root + "\\folder-link") == platform::kInvalidAttributes;
  EXPECT_EQ(removed, gone);
  EXPECT_EQ(gone, WindowsOrWine(true, false));
  EXPECT_EQ(Read(root + "\\target\\kept.txt"), "kept");

  // A link to a file, as a listing through its folder's handle gives it:
  // Windows lists the link, a file number of its own, and removes the link
  // alone. Wine lists a Unix symbolic link as the plain file it leads to,
  // with that file's number, so nothing at hand tells them apart there: its
  // removal would reach the target, and is not tried.
  listed = ListedThrough(*home, "file-link.txt");
  std::unique_ptr<platform::FolderHandle> targetFolder = files().OpenFolder(root + "\\target", true);
  ASSERT_TRUE(targetFolder);
  const uint64_t targetId = ListedThrough(*targetFolder, "kept.txt").fileId;
  if (Env().underWine()) {
    EXPECT_EQ(listed.attributes & platform::kAttrReparsePoint, 0u);
    EXPECT_EQ(listed.fileId, targetId) << "Wine: the target's number";
  } else {
    EXPECT_NE(listed.fileId, targetId);
    EXPECT_TRUE(home->RemoveEntry("file-link.txt", listed.fileId));
    EXPECT_FALSE(files().Exists(root + "\\file-link.txt"));
  }
  EXPECT_EQ(Read(root + "\\target\\kept.txt"), "kept");
}

TEST_F(FileCleaningContract, AFolderSwappedForALinkAfterItWasListedOrOpenedLeadsNowhere) {
  std::string root = Env().NewScratchFolder();
  ASSERT_TRUE(files().MakeFolder(root + "\\victim"));
  MakeFile(root + "\\victim\\precious.txt", "precious");
  ASSERT_TRUE(files().MakeFolder(root + "\\sub"));
  MakeFile(root + "\\sub\\junk.tmp");
  std::unique_ptr<platform::FolderHandle> home = files().OpenFolder(root, true);
  ASSERT_TRUE(home);
  platform::FindData sub = ListedThrough(*home, "sub");
  ASSERT_NE(sub.attributes & kAttrDirectory, 0u);
  EXPECT_NE(sub.fileId, 0u) << "a listing through a handle gives the file number";

  // Listed, then swapped: the folder moves away and a link takes its name.
  ASSERT_TRUE(Env().Rename(root + "\\sub", root + "\\moved"));
  if (!Env().MakeLink(root + "\\sub", root + "\\victim", true)) GTEST_SKIP() << "no symbolic links here";
  EXPECT_EQ(home->OpenFolder("sub", sub.fileId), nullptr) << "the name is no longer the folder listed";
  const long refused = files().LastError();
  EXPECT_TRUE(refused == platform::kErrorStoppedOnSymlink || refused == platform::kErrorFileNotFound) << refused;

  // A handle's listing again: Windows lists the folder as it is now; Wine
  // gives the names of its first listing again.
  std::vector<platform::FindData> again;
  ASSERT_TRUE(home->List(&again));
  bool fresh = std::any_of(again.begin(), again.end(), [](const platform::FindData& e) { return e.name == "moved"; });
  EXPECT_EQ(fresh, WindowsOrWine(true, false));

  // Opened, then swapped: what goes through the handle stays in the folder opened.
  home = files().OpenFolder(root, true);
  ASSERT_TRUE(home);
  platform::FindData moved = ListedThrough(*home, "moved");
  std::unique_ptr<platform::FolderHandle> opened = home->OpenFolder("moved", moved.fileId);
  ASSERT_TRUE(opened);
  ASSERT_TRUE(Env().Rename(root + "\\moved", root + "\\moved-again"));
  std::vector<platform::FindData> entries;
  ASSERT_TRUE(opened->List(&entries));
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].name, "junk.tmp");
  // Windows names an entry of a folder renamed since it was opened; Wine
  // cannot (its name for the folder is the path it was opened by), and a
  // file whose name cannot be told to be its own is left alone.
  const bool junkRemoved = opened->RemoveEntry("junk.tmp", entries[0].fileId);
  EXPECT_EQ(junkRemoved, WindowsOrWine(true, false));
  EXPECT_EQ(files().Exists(root + "\\moved-again\\junk.tmp"), !junkRemoved);
  EXPECT_FALSE(opened->RemoveEntry("precious.txt", 0)) << "not in this folder";
  // Windows removes the folder opened, under its new name. Wine acts on the
  // name the handle was opened by, where the link to the other folder now
  // is, and finds it not empty: the folder stays, and so does the other.
  bool removed = opened->RemoveSelf();
  const long error = files().LastError();
  opened.reset();
  EXPECT_EQ(files().Exists(root + "\\moved-again"), !removed);
  EXPECT_EQ(removed, WindowsOrWine(true, false));
  if (removed) {
    EXPECT_TRUE(files().IsDirectory(root + "\\sub")) << "the link stays";
  } else {
    EXPECT_EQ(error, platform::kErrorDirNotEmpty);
  }
  // Not renamed, an emptied folder goes through its handle everywhere.
  ASSERT_TRUE(files().MakeFolder(root + "\\plain"));
  opened = files().OpenFolder(root, true)->OpenFolder("plain", 0);
  ASSERT_TRUE(opened);
  EXPECT_TRUE(opened->RemoveSelf());
  opened.reset();
  EXPECT_FALSE(files().Exists(root + "\\plain"));
  EXPECT_EQ(Read(root + "\\victim\\precious.txt"), "precious");
  EXPECT_TRUE(files().IsDirectory(root + "\\victim"));
}

TEST_F(FileCleaningContract, AHardLinkIsOneFileWithTwoNames) {
  std::string root = Env().NewScratchFolder();
  MakeFile(root + "\\one.txt", "shared");
  ASSERT_TRUE(Env().MakeHardLink(root + "\\one.txt", root + "\\two.txt"));
  platform::FileIdentity identity;
  ASSERT_TRUE(files().Identify(root + "\\two.txt", &identity));
  EXPECT_EQ(identity.linkCount, 2u);
  EXPECT_TRUE(EqualNoCase(identity.finalPath, root + "\\two.txt")) << identity.finalPath;
  long error = -1;
  auto opened = files().OpenForRead(root + "\\one.txt", &error);
  ASSERT_TRUE(opened);
  ASSERT_TRUE(opened->Identify(&identity));
  EXPECT_EQ(identity.linkCount, 2u);
  opened.reset();
  EXPECT_EQ(files().OpenFolder(root, true)->OpenFileForWrite("one.txt", 0), nullptr) << "the other name is written too";
  // The read-only bit is the file's: it is not cleared through one of two names.
  ASSERT_TRUE(files().SetAttributes(root + "\\two.txt", kAttrReadOnly));
  std::unique_ptr<platform::FolderHandle> home = files().OpenFolder(root, true);
  ASSERT_TRUE(home);
  EXPECT_FALSE(home->ClearReadOnly("one.txt", ListedThrough(*home, "one.txt").fileId));
  EXPECT_EQ(files().LastError(), platform::kErrorAccessDenied);
  EXPECT_EQ(files().GetAttributes(root + "\\two.txt") & kAttrReadOnly, kAttrReadOnly);
  ASSERT_TRUE(files().SetAttributes(root + "\\two.txt", platform::kAttrNormal));
  EXPECT_TRUE(files().RemoveFile(root + "\\one.txt"));
  ASSERT_TRUE(files().SetAttributes(root + "\\two.txt", kAttrReadOnly));
  EXPECT_TRUE(home->ClearReadOnly("two.txt", ListedThrough(*home, "two.txt").fileId)) << "one name: cleared";
  EXPECT_EQ(files().GetAttributes(root + "\\two.txt") & kAttrReadOnly, 0u);
  ASSERT_TRUE(files().Identify(root + "\\two.txt", &identity));
  EXPECT_EQ(identity.linkCount, 1u);
  EXPECT_EQ(Read(root + "\\two.txt"), "shared");
}

TEST_F(FileCleaningContract, NamesEndingInADotOrASpaceAreReachedExactlyAsListed) {
  std::string root = Env().NewScratchFolder();
  // Without the \\?\ form the system would take "same." and "same " for "same",
  // and "..." for the folder itself.
  for (const char* name : {"same", "same.", "same ", "..."}) MakeFile(root + "\\" + name, name);
  auto listed = Listing(root + "\\*.*");
  for (const char* name : {"same", "same.", "same ", "..."}) EXPECT_TRUE(listed.count(name)) << "'" << name << "'";
  EXPECT_EQ(Read(root + "\\same."), "same.");
  // Deleted by path, then made again and deleted as a listing gave them.
  for (bool byListing : {false, true}) {
    for (const char* name : {"same.", "...", "same "}) {
      if (byListing) MakeFile(root + "\\" + name, name);
      EXPECT_TRUE(byListing ? RemoveListed(root, name) : files().RemoveFile(root + "\\" + name)) << "'" << name << "'";
    }
    listed = Listing(root + "\\*.*");
    EXPECT_EQ(listed.size(), 3u) << ". .. same";
    EXPECT_EQ(Read(root + "\\same"), "same");
  }
  EXPECT_TRUE(files().IsDirectory(root));
}

TEST_F(FileCleaningContract, AShortNameHasItsLongFormAndAMissingPathStaysAsGiven) {
  std::string root = Env().NewScratchFolder();
  const std::string folder = root + "\\A Rather Long Folder Name";
  ASSERT_TRUE(files().MakeFolder(folder));
  std::string shortName = Env().ShortName(folder);
  if (shortName.empty()) GTEST_SKIP() << "no short names on this volume";
  std::string longPath = "poison";
  ASSERT_TRUE(files().LongPathName(shortName, &longPath));
  EXPECT_TRUE(EqualNoCase(longPath, folder)) << shortName;
  ASSERT_TRUE(files().LongPathName(shortName + "\\", &longPath));
  EXPECT_TRUE(EqualNoCase(longPath, folder + "\\"));
  longPath = "poison";
  EXPECT_FALSE(files().LongPathName(root + "\\MISSIN~1", &longPath)) << "the system cannot say";
  EXPECT_EQ(longPath, "poison");
  // Names compare as the file system compares them: without regard to case, in all of Unicode.
  EXPECT_TRUE(files().SameName("\xC3\x89T\xC3\x89 \xD0\x96\xD0\xA3\xD0\xA0\xD0\x9D\xCE\xA3",
                               "\xC3\xA9t\xC3\xA9 \xD0\xB6\xD1\x83\xD1\x80\xD0\xBD\xCF\x83"));
  EXPECT_FALSE(files().SameName("same", "same."));
}

TEST_F(FileCleaningContract, AFileHeldByAnotherProgramCanBeWrittenButNotDeleted) {
  std::string root = Env().NewScratchFolder();
  std::string path = root + "\\index.dat";
  MakeFile(path, std::string(100, 'a'));
  {
    std::shared_ptr<void> holder = Env().HoldOpen(path);
    ASSERT_TRUE(holder);
    EXPECT_FALSE(files().RemoveFile(path));
    EXPECT_EQ(files().LastError(), platform::kErrorSharingViolation);
    EXPECT_FALSE(RemoveListed(root, "index.dat"));
    std::unique_ptr<platform::FolderHandle> home = files().OpenFolder(root, true);
    ASSERT_TRUE(home);
    auto file = home->OpenFileForWrite("index.dat", ListedThrough(*home, "index.dat").fileId);
    ASSERT_TRUE(file) << "the holder shares writing";
    EXPECT_EQ(file->Size(), 100u);
    EXPECT_TRUE(file->Seek(64));
    EXPECT_TRUE(file->Write("0123456789", 10));
    EXPECT_TRUE(file->Write("ab", 2));
  }
  EXPECT_EQ(Read(path), std::string(64, 'a') + "0123456789ab" + std::string(24, 'a'));
  EXPECT_TRUE(files().RemoveFile(path));
  EXPECT_EQ(files().OpenFolder(root, true)->OpenFileForWrite("index.dat", 0), nullptr) << "an existing file only";
  EXPECT_FALSE(files().Exists(path)) << "and none is created";
}

// Another program's current directory: it holds the folder open without
// sharing deletion, so the folder cannot go while it does, but what is in
// it can, through a handle opened without the right to delete the folder.
TEST_F(FileCleaningContract, AFolderThatIsAnotherProgramsCurrentDirectoryIsEmptiedButStays) {
  std::string root = Env().NewScratchFolder();
  const std::string folder = root + "\\current";
  ASSERT_TRUE(files().MakeFolder(folder));
  MakeFile(folder + "\\junk.tmp");
  {
    std::shared_ptr<void> holder = Env().HoldAsCurrentDirectory(folder);
    ASSERT_TRUE(holder);
    EXPECT_FALSE(files().RemoveFolder(folder)) << "not even empty";
    std::unique_ptr<platform::FolderHandle> home = files().OpenFolder(root, true);
    ASSERT_TRUE(home);
    std::unique_ptr<platform::FolderHandle> opened =
        home->OpenFolder("current", ListedThrough(*home, "current").fileId);
    ASSERT_TRUE(opened) << "error " << files().LastError();
    EXPECT_TRUE(opened->RemoveEntry("junk.tmp", ListedThrough(*opened, "junk.tmp").fileId));
    EXPECT_FALSE(opened->RemoveSelf());
    EXPECT_EQ(files().LastError(), platform::kErrorSharingViolation);
    EXPECT_FALSE(files().RemoveFolder(folder));
    EXPECT_EQ(files().LastError(), platform::kErrorSharingViolation);
  }
  EXPECT_TRUE(files().IsDirectory(folder));
  EXPECT_FALSE(files().Exists(folder + "\\junk.tmp"));
  // Let go, it goes through its handle as any folder does.
  std::unique_ptr<platform::FolderHandle> opened = files().OpenFolder(root, true)->OpenFolder("current", 0);
  ASSERT_TRUE(opened);
  EXPECT_TRUE(opened->RemoveSelf());
  opened.reset();
  EXPECT_FALSE(files().Exists(folder));
}

TEST_F(FileCleaningContract, NamesOutsideTheAnsiCodePageAndLongPathsAreListedAndDeleted) {
  std::string root = Env().NewScratchFolder();
  const std::string name =
      "\xD0\xB6\xD1\x83\xD1\x80\xD0\xBD\xD0\xB0\xD0\xBB \xE6\x96\x87\xE4\xBB\xB6 \xC3\xA9t\xC3\xA9.txt";
  MakeFile(root + "\\" + name);
  auto listed = Listing(root + "\\*.*");
  EXPECT_TRUE(listed.count(name)) << "the name comes back as it was written";
  EXPECT_TRUE(files().RemoveFile(root + "\\" + name));

  // Nested folders until the path is well past 260 characters.
  std::string deep = root;
  std::vector<std::string> folders;
  while (deep.size() < 300) {
    deep += "\\a-rather-long-folder-name-" + std::to_string(folders.size());
    ASSERT_TRUE(files().MakeFolder(deep)) << deep.size();
    folders.push_back(deep);
  }
  MakeFile(deep + "\\deep.txt", "deep");
  EXPECT_EQ(Read(deep + "\\deep.txt"), "deep");
  EXPECT_TRUE(Listing(deep + "\\*.*").count("deep.txt"));
  ASSERT_TRUE(files().SetAttributes(deep + "\\deep.txt", kAttrReadOnly));
  EXPECT_EQ(files().GetAttributes(deep + "\\deep.txt") & kAttrReadOnly, kAttrReadOnly);
  ASSERT_TRUE(files().SetAttributes(deep + "\\deep.txt", 0x80));
  EXPECT_TRUE(files().RemoveFile(deep + "\\deep.txt"));
  MakeFile(deep + "\\" + name);
  EXPECT_TRUE(RemoveListed(deep, name)) << "a listing's entry, however long its path and whatever its name";
  EXPECT_FALSE(files().Exists(deep + "\\" + name));
  for (auto it = folders.rbegin(); it != folders.rend(); ++it) EXPECT_TRUE(files().RemoveFolder(*it));
}

TEST_F(FileCleaningContract, IniWritesReplaceAKeyInPlaceAndAddMissingKeysAndSections) {
  std::string root = Env().NewScratchFolder();
  std::string ini = root + "\\i_view32.ini";
  MakeFile(ini,
           "; written by hand\r\n"
           "[Open]\r\n"
           "OpenIndex=3\r\n"
           "Filter=*.jpg\r\n"
           "\r\n"
           "[Viewing]\r\n"
           "Zoom=100\r\n");
  EXPECT_TRUE(files().WriteIniString(ini, "open", "OPENINDEX", ""));
  EXPECT_TRUE(files().WriteIniString(ini, "Open", "OpenDir", ""));
  EXPECT_TRUE(files().WriteIniString(ini, "MRUD", "Dir1", ""));
  const std::string expected =
      "; written by hand\r\n"
      "[Open]\r\n"
      "OpenIndex=\r\n"  // the key keeps its spelling
      "Filter=*.jpg\r\n"
      "OpenDir=\r\n"
      "\r\n"
      "[Viewing]\r\n"
      "Zoom=100\r\n"
      "[MRUD]\r\n"
      "Dir1=\r\n";
  // Windows edits the file in place; Wine writes it again from what it
  // parsed, and drops the blank lines on the way.
  std::string withoutBlank = expected;
  withoutBlank.erase(withoutBlank.find("\r\n\r\n"), 2);
  EXPECT_EQ(Read(ini), WindowsOrWine(expected, withoutBlank));

  ASSERT_TRUE(files().SetAttributes(ini, kAttrReadOnly));
  bool opened = files().OpenFolder(root, true)->OpenFileForWrite("i_view32.ini", 0) != nullptr;
  bool written = files().WriteIniString(ini, "Open", "OpenDir", "C:\\");
  if (!Env().underWine()) {
    EXPECT_FALSE(opened);
    EXPECT_FALSE(written);
    EXPECT_EQ(Read(ini).find("OpenDir=C:"), std::string::npos);
  } else {
    // Windows refuses both; Wine keeps read-only as Unix mode bits, which
    // only a test run as root writes through: the two agree either way.
    EXPECT_EQ(opened, written);
  }
  ASSERT_TRUE(files().SetAttributes(ini, 0x80));
  EXPECT_TRUE(files().RemoveFile(ini));
}

}  // namespace
}  // namespace contract
