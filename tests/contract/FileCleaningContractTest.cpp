// The file behaviours a cleaning relies on: listings with attributes,
// attribute changes, what deletion refuses, files held by another program,
// writing into an existing file, names outside the ANSI code page, long
// paths and INI writes.
#include <gtest/gtest.h>

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
  // Deletes `name` through a listing of `folder` that gives it.
  bool RemoveListed(const std::string& folder, const std::string& name) {
    platform::FindData data;
    auto find = files().FindFirst(folder + "\\*.*", &data);
    if (find) {
      do {
        if (data.name == name) return find->RemoveListedFile();
      } while (find->Next(&data));
    }
    ADD_FAILURE() << name << " is not listed";
    return false;
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
  EXPECT_FALSE(files().RemoveLink(root + "\\target")) << "not a link";
  EXPECT_EQ(files().LastError(), platform::kErrorNotAReparsePoint);
  EXPECT_FALSE(files().RemoveLink(root + "\\file.txt"));
  EXPECT_EQ(files().LastError(), platform::kErrorNotAReparsePoint);
  EXPECT_FALSE(files().RemoveLink(root + "\\missing"));
  EXPECT_EQ(files().LastError(), platform::kErrorFileNotFound);
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
    EXPECT_TRUE(entry.reparseTag == platform::kReparseTagSymlink || (!Env().simulated() && entry.reparseTag == 0))
        << std::hex << entry.reparseTag;
    EXPECT_TRUE(platform::IsLink(entry));
  }
  EXPECT_EQ(files().GetAttributes(root + "\\folder-link") & 0x410, 0x410u);

  // A link to a file: a reparse point with the same tag.
  for (const platform::FindData& entry : {Listed(root, "file-link.txt"), Found(root + "\\file-link.txt")}) {
    EXPECT_EQ(entry.attributes & kAttrDirectory, 0u);
    bool windows = (entry.attributes & platform::kAttrReparsePoint) && entry.reparseTag == platform::kReparseTagSymlink;
    // Wine shows a Unix symbolic link to a file as the plain file it leads to.
    bool wine = !Env().simulated() && !(entry.attributes & platform::kAttrReparsePoint);
    EXPECT_TRUE(windows || wine) << std::hex << entry.attributes << " " << entry.reparseTag;
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

  // Windows removes the link itself; Wine cannot remove a Unix symbolic
  // link without reaching its target, so there the link stays.
  bool removed = files().RemoveLink(root + "\\folder-link");
  // Wine's refusal, so that a report can say why the link is still there.
  if (!removed) {
    EXPECT_EQ(files().LastError(), platform::kErrorStoppedOnSymlink);
  }
  bool gone = files().GetAttributes(root + "\\folder-link") == platform::kInvalidAttributes;
  EXPECT_EQ(removed, gone);
  EXPECT_TRUE(gone || !Env().simulated());
  EXPECT_EQ(Read(root + "\\target\\kept.txt"), "kept");
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
  EXPECT_TRUE(files().RemoveFile(root + "\\one.txt"));
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
  EXPECT_TRUE(EqualNoCase(files().LongPathName(shortName), folder)) << shortName;
  EXPECT_TRUE(EqualNoCase(files().LongPathName(shortName + "\\"), folder + "\\"));
  EXPECT_EQ(files().LongPathName(root + "\\MISSIN~1"), root + "\\MISSIN~1");
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
    auto file = files().OpenExistingForWrite(path);
    ASSERT_TRUE(file) << "the holder shares writing";
    EXPECT_EQ(file->SizeLow(), 100u);
    EXPECT_TRUE(file->Seek(64));
    EXPECT_TRUE(file->Write("0123456789", 10));
    EXPECT_TRUE(file->Write("ab", 2));
  }
  EXPECT_EQ(Read(path), std::string(64, 'a') + "0123456789ab" + std::string(24, 'a'));
  EXPECT_TRUE(files().RemoveFile(path));
  EXPECT_EQ(files().OpenExistingForWrite(path), nullptr) << "an existing file only";
  EXPECT_FALSE(files().Exists(path)) << "and none is created";
}

TEST_F(FileCleaningContract, NamesOutsideTheAnsiCodePageAndLongPathsAreListedAndDeleted) {
  std::string root = Env().NewScratchFolder();
  const std::string name = "\xD0\xB6\xD1\x83\xD1\x80\xD0\xBD\xD0\xB0\xD0\xBB \xE6\x96\x87\xE4\xBB\xB6 \xC3\xA9t\xC3\xA9.txt";
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
  std::string text = Read(ini);
  if (!Env().simulated() && text.find("\r\n\r\n") == std::string::npos) {
    // Windows edits the file in place; Wine writes it again from what it
    // parsed, and drops the blank lines on the way.
    std::string withoutBlank = expected;
    withoutBlank.erase(withoutBlank.find("\r\n\r\n"), 2);
    EXPECT_EQ(text, withoutBlank);
  } else {
    EXPECT_EQ(text, expected);
  }

  ASSERT_TRUE(files().SetAttributes(ini, kAttrReadOnly));
  bool opened = files().OpenExistingForWrite(ini) != nullptr;
  bool written = files().WriteIniString(ini, "Open", "OpenDir", "C:\\");
  if (Env().simulated()) {
    EXPECT_FALSE(opened);
    EXPECT_FALSE(written);
    EXPECT_EQ(Read(ini).find("OpenDir=C:"), std::string::npos);
  } else {
    // Windows refuses both; Wine keeps read-only as Unix mode bits, which a
    // test run as root (as here) writes through.
    EXPECT_EQ(opened, written);
  }
  ASSERT_TRUE(files().SetAttributes(ini, 0x80));
  EXPECT_TRUE(files().RemoveFile(ini));
}

}  // namespace
}  // namespace contract
