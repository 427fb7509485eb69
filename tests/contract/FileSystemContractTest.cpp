// The file behaviours the program relies on.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "ContractEnv.h"
#include "cleaner/ProtectedStorage.h"
#include "cleaner/UsersOwnFolder.h"
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
  const bool foundByPath = files().FindFirst(root + "\\a\\b", &found) != nullptr;
  EXPECT_EQ(foundByPath, WindowsOrWine(true, false));
  if (foundByPath) {
    EXPECT_EQ(found.name, "b");
  } else {
    EXPECT_EQ(files().LastError(), platform::kErrorSharingViolation) << "Wine 8's answer";
  }
  std::vector<platform::FindData> listed;
  ASSERT_TRUE(held->List(&listed)) << "its own listing finds it on both";
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].name, "b");
}

// NTFS folds the case of every script its upcase table covers, not only
// A to Z; a path's "." and ".." are resolved before the name is looked up,
// and ".." never climbs above the drive.
TEST_F(FileSystemContract, NamesAreFoundAsTheFileSystemFoldsThemAndDotsInAPathAreResolved) {
  std::string root = Env().NewScratchFolder();
  const std::pair<std::string, std::string> sameNames[] = {
      {"\u00E9lodie", "\u00C9LODIE"},
      {"\u0142\u00F3d\u017A", "\u0141\u00D3D\u0179"},                        // łódź
      {"\u03C3\u03BF\u03C6\u03AF\u03B1", "\u03A3\u039F\u03A6\u038A\u0391"},  // σοφία
      {"\u043C\u0430\u0440\u0438\u044F", "\u041C\u0410\u0420\u0418\u042F"},  // мария
  };
  for (const auto& [made, asked] : sameNames) {
    ASSERT_TRUE(files().MakeFolder(root + "\\" + made)) << made;
    EXPECT_TRUE(files().IsDirectory(root + "\\" + asked)) << asked;
    EXPECT_TRUE(files().SameName(made, asked)) << asked;
    platform::FindData found;
    EXPECT_TRUE(files().FindFirst(root + "\\" + asked, &found)) << asked;
    EXPECT_EQ(found.name, made) << "found under its own spelling";
    EXPECT_FALSE(files().MakeFolder(root + "\\" + asked)) << "the same name: " << asked;
  }
  // Sharp s has no capital of its own: "STRASSE" is another name.
  ASSERT_TRUE(files().MakeFolder(root + "\\stra\u00DFe"));
  EXPECT_FALSE(files().Exists(root + "\\STRASSE"));
  EXPECT_FALSE(files().SameName("stra\u00DFe", "STRASSE"));

  ASSERT_TRUE(files().MakeFolder(root + "\\a"));
  ASSERT_TRUE(files().MakeFolder(root + "\\a\\b"));
  ASSERT_EQ(files().ReplaceWholeFile(root + "\\a\\c.txt", "c"), platform::kErrorSuccess);
  std::string bytes;
  EXPECT_EQ(files().ReadWholeFile(root + "\\a\\b\\..\\c.txt", &bytes), platform::kErrorSuccess);
  EXPECT_EQ(bytes, "c");
  EXPECT_TRUE(files().IsFile(root + "\\a\\.\\b\\..\\.\\c.txt"));
  EXPECT_FALSE(files().Exists(root + "\\a\\b\\c.txt"));
  // Above the drive's root ".." stays at the root.
  const std::string fromRoot = root.substr(0, 2) + "\\..\\..\\" + root.substr(3);
  EXPECT_TRUE(files().IsFile(fromRoot + "\\a\\c.txt")) << fromRoot;
  platform::FindData found;
  ASSERT_TRUE(files().FindFirst(root + "\\a\\b\\..\\*.txt", &found));
  EXPECT_EQ(found.name, "c.txt");
  ASSERT_TRUE(files().MakeFolder(root + "\\a\\b\\..\\d"));
  EXPECT_TRUE(files().IsDirectory(root + "\\a\\d"));
  std::string longPath;
  ASSERT_TRUE(files().LongPathName(root + "\\a\\d\\..\\c.txt", &longPath));
  EXPECT_TRUE(util::EqualNoCase(longPath, root + "\\a\\c.txt")) << longPath;
  EXPECT_TRUE(files().RemoveFile(root + "\\a\\d\\..\\c.txt"));
  EXPECT_FALSE(files().Exists(root + "\\a\\c.txt"));
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

// Who owns a folder and who may change it, read through its handle, is
// what tells a folder of the user's own: one the user made is, until
// everyone is let change it.
TEST_F(FileSystemContract, AFoldersOwnerAndWhoMayChangeItAreReadThroughItsHandle) {
  const std::string folder = Env().NewScratchFolder() + "\\profile";
  ASSERT_TRUE(files().MakeFolder(folder));
  std::string sid;
  ASSERT_TRUE(cleaner::GetCurrentUserSid(Env().platform().security, &sid));
  const std::string user = cleaner::SidToText(sid);
  auto grants = [&](const std::string& who, uint32_t rights) {
    platform::FolderSecurity security;
    std::unique_ptr<platform::FolderHandle> handle = files().OpenFolder(folder, true);
    EXPECT_TRUE(handle && handle->ReadSecurity(&security)) << files().LastError();
    EXPECT_EQ(security.owner, user);
    return std::any_of(
        security.allowed.begin(), security.allowed.end(),
        [&](const platform::FolderSecurity::Allowed& a) { return a.sid == who && (a.rights & rights) == rights; });
  };
  const uint32_t kAddFile = 0x2, kDelete = 0x10000;
  EXPECT_TRUE(grants(user, kAddFile | kDelete));
  EXPECT_FALSE(grants("S-1-1-0", kAddFile));
  std::string why;
  EXPECT_TRUE(cleaner::IsUsersOwnFolder(Env().platform(), folder, &why)) << why;

  // Wine keeps no access list of its own: it sets the folder's Unix mode to
  // write for others, and reads it back as an entry for Everyone.
  ASSERT_TRUE(Env().LetEveryoneChange(folder));
  EXPECT_TRUE(grants("S-1-1-0", kAddFile | kDelete));
  EXPECT_FALSE(cleaner::IsUsersOwnFolder(Env().platform(), folder, &why));
  EXPECT_EQ(why, "other accounts may change " + folder);
}

// A folder on the way that is a link refuses the write, the system's named
// folder (the start) excepted, which its owner may have moved.
TEST_F(FileSystemContract, AWholeFileIsNeverWrittenThroughAFolderThatIsALink) {
  const std::string root = Env().NewScratchFolder();
  ASSERT_TRUE(files().MakeFolder(root + "\\other"));
  ASSERT_EQ(files().ReplaceWholeFile(root + "\\other\\theirs.txt", "theirs"), platform::kErrorSuccess);
  if (!Env().MakeLink(root + "\\linked", root + "\\other", true)) GTEST_SKIP() << "no symbolic links here";
  EXPECT_EQ(files().ReplaceWholeFile(root + "\\linked\\theirs.txt", "ours"), platform::kErrorStoppedOnSymlink);
  EXPECT_EQ(files().ReplaceFileBelow(root, root + "\\linked\\theirs.txt", "ours"), platform::kErrorStoppedOnSymlink);
  EXPECT_EQ(files().ReplaceWholeFile(root + "\\missing\\theirs.txt", "ours"), platform::kErrorPathNotFound);
  std::string bytes;
  ASSERT_EQ(files().ReadWholeFile(root + "\\other\\theirs.txt", &bytes), platform::kErrorSuccess);
  EXPECT_EQ(bytes, "theirs");
  EXPECT_EQ(files().ReplaceFileBelow(root + "\\linked", root + "\\linked\\new.txt", "moved"), platform::kErrorSuccess);
  ASSERT_EQ(files().ReadWholeFile(root + "\\other\\new.txt", &bytes), platform::kErrorSuccess);
  EXPECT_EQ(bytes, "moved");
}

// "C:\name" has its folder in "C:\", not "C:", which names the volume itself.
TEST_F(FileSystemContract, AFileIsReplacedAtTheRootOfADrive) {
  const std::string path = "C:\\corvane-contract-root.txt";
  files().RemoveFile(path);
  ASSERT_EQ(files().ReplaceWholeFile(path, "at the root"), platform::kErrorSuccess);
  std::string bytes;
  ASSERT_EQ(files().ReadWholeFile(path, &bytes), platform::kErrorSuccess);
  EXPECT_EQ(bytes, "at the root");
  EXPECT_TRUE(files().RemoveFile(path));
}

}  // namespace
}  // namespace contract
