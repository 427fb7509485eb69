// The file behaviours the program relies on.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "ContractEnv.h"
#include "util/Text.h"

namespace contract {
namespace {

using platform::FileSystem;

class FileSystemContract : public ::testing::Test {
 protected:
  FileSystem& files() { return Env().platform().files; }
};

TEST_F(FileSystemContract, FoldersAreMadeOneLevelAtATime) {
  std::string root = Env().NewScratchFolder();
  EXPECT_FALSE(files().MakeFolder(root + "\\a\\b")) << "no missing parents are made";
  EXPECT_EQ(files().LastError(), platform::kErrorPathNotFound);
  EXPECT_TRUE(files().MakeFolder(root + "\\a"));
  EXPECT_FALSE(files().MakeFolder(root + "\\a")) << "an existing folder is a failure";
  EXPECT_EQ(files().LastError(), platform::kErrorAlreadyExists);
  EXPECT_TRUE(files().IsDirectory(root + "\\A"));
  EXPECT_FALSE(files().IsFile(root + "\\a"));
  EXPECT_TRUE(files().RemoveFolder(root + "\\a"));
  EXPECT_FALSE(files().Exists(root + "\\a"));
}

TEST_F(FileSystemContract, ASecurityQueryNamesTheOwnerAndWhoMayWrite) {
  std::string root = Env().NewScratchFolder();
  ASSERT_EQ(files().ReplaceWholeFile(root + "\\mine.ini", "x"), platform::kErrorSuccess);
  // The account that made them owns them and may change them (Windows adds
  // SYSTEM and the administrators; Wine gives every file the user as owner,
  // SYSTEM and the user full control, and Everyone reading).
  const std::string user = "S-1-5-21-";
  for (const std::string& path : {root, root + "\\mine.ini"}) {
    platform::ObjectSecurity security{"poison", false, {}};
    ASSERT_EQ(files().QuerySecurity(path, &security), platform::kErrorSuccess) << path;
    EXPECT_EQ(security.owner.rfind(user, 0), 0u) << path << ": " << security.owner;
    EXPECT_TRUE(security.hasAccessList);
    EXPECT_TRUE(std::any_of(security.entries.begin(), security.entries.end(), [&](const platform::AccessEntry& e) {
      return e.allows && e.sid == security.owner && (e.mask & 0x2);
    })) << path;
  }
  platform::ObjectSecurity none;
  EXPECT_EQ(files().QuerySecurity(root + "\\missing.ini", &none), platform::kErrorFileNotFound);
}

TEST_F(FileSystemContract, AnEntryIsFoundByItsPathInsideAFolderHeldOpenForRemoval) {
  std::string root = Env().NewScratchFolder();
  ASSERT_TRUE(files().MakeFolder(root + "\\a"));
  ASSERT_TRUE(files().MakeFolder(root + "\\a\\b"));
  std::unique_ptr<platform::FolderHandle> top = files().OpenFolder(root, false);
  ASSERT_NE(top, nullptr);
  std::unique_ptr<platform::FolderHandle> held = top->OpenFolder("a", 0);  // with the right to delete it
  ASSERT_NE(held, nullptr);
  platform::FindData found;
  // Windows shares deletion with the lookup's own open of the folder;
  // Wine 8 does not, and answers a sharing violation.
  if (files().FindFirst(root + "\\a\\b", &found)) {
    EXPECT_EQ(found.name, "b");
  } else {
    EXPECT_EQ(files().LastError(), platform::kErrorSharingViolation) << "Wine 8's answer";
  }
  std::vector<platform::FindData> listed;
  ASSERT_TRUE(held->List(&listed)) << "its own listing finds it on both";
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].name, "b");
}

TEST_F(FileSystemContract, WholeFilesAreReadAndReplaced) {
  std::string root = Env().NewScratchFolder();
  std::string path = root + "\\list.txt";
  std::string bytes;
  EXPECT_EQ(files().ReadWholeFile(path, &bytes), platform::kErrorFileNotFound);

  ASSERT_EQ(files().ReplaceWholeFile(path, std::string("one\r\ntwo\r\n\0three", 15)), platform::kErrorSuccess);
  ASSERT_EQ(files().ReadWholeFile(path, &bytes), platform::kErrorSuccess);
  EXPECT_EQ(bytes, std::string("one\r\ntwo\r\n\0three", 15));

  // A limit below the file's size reads nothing; the handle says what it reached.
  bytes = "poison";
  EXPECT_EQ(files().ReadWholeFile(path, &bytes, 14), platform::kErrorFileTooLarge);
  EXPECT_EQ(bytes, "poison");
  EXPECT_EQ(files().ReadWholeFile(path, &bytes, 15), platform::kErrorSuccess);
  long error = -1;
  auto opened = files().OpenForRead(root + "\\LIST.TXT", &error);
  ASSERT_TRUE(opened);
  EXPECT_EQ(error, platform::kErrorSuccess);
  platform::FileIdentity identity;
  ASSERT_TRUE(opened->Identify(&identity));
  EXPECT_TRUE(util::EqualNoCase(identity.finalPath, path)) << identity.finalPath;
  EXPECT_EQ(identity.linkCount, 1u);
  opened.reset();

  ASSERT_EQ(files().ReplaceWholeFile(path, ""), platform::kErrorSuccess);
  ASSERT_EQ(files().ReadWholeFile(path, &bytes), platform::kErrorSuccess);
  EXPECT_EQ(bytes, "");
  EXPECT_TRUE(files().IsFile(path));

  EXPECT_NE(files().ReplaceWholeFile(root + "\\missing\\list.txt", "x"), platform::kErrorSuccess);

  // Held open by another program that does not share deletion: the
  // replacement fails, the file stays as it was, and no temporary file is left.
  ASSERT_EQ(files().ReplaceWholeFile(path, "kept"), platform::kErrorSuccess);
  {
    std::shared_ptr<void> holder = Env().HoldOpen(path);
    ASSERT_TRUE(holder);
    EXPECT_NE(files().ReplaceWholeFile(path, "lost"), platform::kErrorSuccess);
  }
  ASSERT_EQ(files().ReadWholeFile(path, &bytes), platform::kErrorSuccess);
  EXPECT_EQ(bytes, "kept");

  // A link in the target's place is replaced as a name: what it leads to stays.
  ASSERT_TRUE(files().MakeFolder(root + "\\other"));
  ASSERT_EQ(files().ReplaceWholeFile(root + "\\other\\theirs.txt", "theirs"), platform::kErrorSuccess);
  if (Env().MakeLink(root + "\\linked.txt", root + "\\other\\theirs.txt", false)) {
    EXPECT_EQ(files().ReplaceWholeFile(root + "\\linked.txt", "ours"), platform::kErrorSuccess);
    ASSERT_EQ(files().ReadWholeFile(root + "\\other\\theirs.txt", &bytes), platform::kErrorSuccess);
    EXPECT_EQ(bytes, "theirs");
    ASSERT_EQ(files().ReadWholeFile(root + "\\linked.txt", &bytes), platform::kErrorSuccess);
    EXPECT_EQ(bytes, "ours");
    EXPECT_TRUE(files().RemoveFile(root + "\\linked.txt"));
  }
  std::vector<std::string> names;
  platform::FindData entry;
  if (auto find = files().FindFirst(root + "\\*", &entry)) {
    do {
      if (!platform::IsDotEntry(entry.name)) names.push_back(entry.name);
    } while (find->Next(&entry));
  }
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"list.txt", "other"})) << "no temporary file is left";
  EXPECT_TRUE(files().RemoveFile(root + "\\other\\theirs.txt"));
  EXPECT_TRUE(files().RemoveFolder(root + "\\other"));
  EXPECT_TRUE(files().RemoveFile(path));
  EXPECT_FALSE(files().RemoveFile(path));
}

}  // namespace
}  // namespace contract
