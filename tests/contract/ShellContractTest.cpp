// The shell's folder lookups, the recycle bin and the version query.
#include <gtest/gtest.h>

#include <cstdio>

#include "ContractEnv.h"
#include "util/Text.h"

namespace contract {
namespace {

using platform::Shell;

Shell& shell() { return Env().platform().shell; }

bool IsAbsoluteWindowsPath(const std::string& path) { return path.size() > 3 && path[1] == ':' && path[2] == '\\'; }

TEST(ShellContract, SpecialTemporaryAndWindowsFoldersAreAbsolutePaths) {
  std::string windows = "poison";
  ASSERT_TRUE(shell().WindowsFolder(&windows));
  EXPECT_TRUE(IsAbsoluteWindowsPath(windows)) << windows;
  EXPECT_NE(windows.back(), '\\');

  std::string viaCsidl = "poison";
  ASSERT_TRUE(shell().SpecialFolder(platform::kCsidlWindows, &viaCsidl));
  EXPECT_TRUE(util::EqualNoCase(viaCsidl, windows)) << viaCsidl << " vs " << windows;

  for (int csidl :
       {platform::kCsidlPersonal, platform::kCsidlFavorites, platform::kCsidlRecent, platform::kCsidlNetHood,
        platform::kCsidlAppData, platform::kCsidlInternetCache, platform::kCsidlHistory, platform::kCsidlCommonAppData,
        platform::kCsidlProgramFiles, platform::kCsidlProfile}) {
    std::string path = "poison";
    EXPECT_TRUE(shell().SpecialFolder(csidl, &path)) << csidl;
    EXPECT_TRUE(IsAbsoluteWindowsPath(path)) << csidl << ": " << path;
    EXPECT_NE(path.back(), '\\') << csidl;
  }
  std::string none = "poison";
  EXPECT_FALSE(shell().SpecialFolder(0x7F, &none)) << "a number that names no folder";
  EXPECT_EQ(none, "poison");

  std::string temp = "poison";
  ASSERT_TRUE(shell().TempFolder(&temp));
  EXPECT_TRUE(IsAbsoluteWindowsPath(temp)) << temp;
  EXPECT_EQ(temp.back(), '\\') << "the temporary folder ends with a separator";
  // The account's own, from the environment the system makes for it: the
  // same folder here, where nobody changed this process's.
  std::string own = "poison";
  ASSERT_TRUE(shell().UserTempFolder(&own));
  EXPECT_TRUE(IsAbsoluteWindowsPath(own)) << own;
  EXPECT_TRUE(Env().platform().files.SameName(own + (own.back() == '\\' ? "" : "\\"), temp)) << own << " " << temp;
}

TEST(ShellContract, TheKnownFoldersTheCommunitysVariablesStandForAreNamed) {
  for (int id :
       {platform::kKnownFolderLocalAppDataLow, platform::kKnownFolderPublic, platform::kKnownFolderUserProfiles,
        platform::kKnownFolderProgramFilesX64, platform::kKnownFolderProgramFilesCommonX64,
        platform::kCsidlProgramFilesCommon, platform::kCsidlProgramFilesCommonX86, platform::kCsidlMyMusic,
        platform::kCsidlMyPictures, platform::kCsidlMyVideo}) {
    std::string path = "poison";
    EXPECT_TRUE(shell().SpecialFolder(id, &path)) << id;
    EXPECT_TRUE(IsAbsoluteWindowsPath(path)) << id << ": " << path;
  }
  // The 64-bit Program Files of a 64-bit Windows is CSIDL_PROGRAM_FILES of a
  // 64-bit program; the profiles' folder holds the profile.
  std::string x64, programFiles, profiles, profile;
  ASSERT_TRUE(shell().SpecialFolder(platform::kKnownFolderProgramFilesX64, &x64));
  ASSERT_TRUE(shell().SpecialFolder(platform::kCsidlProgramFiles, &programFiles));
  EXPECT_TRUE(util::EqualNoCase(x64, programFiles)) << x64 << " vs " << programFiles;
  ASSERT_TRUE(shell().SpecialFolder(platform::kKnownFolderUserProfiles, &profiles));
  ASSERT_TRUE(shell().SpecialFolder(platform::kCsidlProfile, &profile));
  EXPECT_TRUE(util::EqualNoCase(profile.substr(0, profiles.size() + 1), profiles + "\\")) << profiles << " " << profile;
}

TEST(ShellContract, CountingAndEmptyingTheRecycleBinWithoutUi) {
  uint64_t before = 0, beforeBytes = 0;
  const bool countsBefore = shell().QueryRecycleBin(&before, &beforeBytes) == platform::kHresultOk;
  const std::string file = Env().NewScratchFolder() + "\\recycled.txt";
  const std::string content(1000, 'r');
  ASSERT_EQ(Env().platform().files.ReplaceWholeFile(file, content), platform::kErrorSuccess);
  ASSERT_TRUE(Env().Recycle(file, content.size()));

  uint64_t items = 0xDEADBEEF, bytes = 0xDEADBEEF;
  long counted = shell().QueryRecycleBin(&items, &bytes);
  std::printf("the recycle bin holds %llu items, %llu bytes (HRESULT 0x%08lx)\n",
              static_cast<unsigned long long>(items), static_cast<unsigned long long>(bytes),
              static_cast<unsigned long>(counted));
  // Windows answers S_OK. Wine keeps the bin in the Unix trash: S_OK as
  // well where it reads that trash, E_FAIL where it does not (some runs on
  // these machines), leaving the counts untouched.
  if (Env().underWine() && counted == platform::kHresultFail) {
    EXPECT_EQ(items, 0xDEADBEEFu) << "untouched on failure";
  } else {
    EXPECT_EQ(counted, platform::kHresultOk) << std::hex << counted;
    ASSERT_TRUE(countsBefore);
    EXPECT_EQ(items, before + 1) << "the file just recycled is counted";
    EXPECT_GE(bytes, beforeBytes + content.size());
  }
  long result = shell().EmptyRecycleBin(platform::kRecycleNoConfirmation | platform::kRecycleNoProgressUi |
                                        platform::kRecycleNoSound);
  // Windows answers S_OK; Wine the same, or E_FAIL where it cannot read its trash.
  if (!Env().underWine() || result != platform::kHresultFail) {
    EXPECT_EQ(result, platform::kHresultOk) << std::hex << result;
  }
  if (result == platform::kHresultOk) {
    EXPECT_EQ(shell().QueryRecycleBin(&items, &bytes), platform::kHresultOk);
    EXPECT_EQ(items, 0u) << "emptied";
  }
}

TEST(ShellContract, TheVersionQueryTakesBothStructureSizesAndRefusesOthers) {
  platform::OsVersion extended{99, 99, 99, 99};
  ASSERT_TRUE(shell().QueryVersion(platform::kVersionInfoExSize, &extended));
  EXPECT_EQ(extended.platformId, 2u) << "the NT family (Wine reports 6.1 on platform 2)";
  EXPECT_GE(extended.major, 5u);

  platform::OsVersion basic;
  ASSERT_TRUE(shell().QueryVersion(platform::kVersionInfoSize, &basic));
  EXPECT_EQ(basic.platformId, extended.platformId);
  EXPECT_EQ(basic.major, extended.major);
  EXPECT_EQ(basic.minor, extended.minor);

  platform::OsVersion untouched{99, 99, 99, 99};
  EXPECT_FALSE(shell().QueryVersion(100, &untouched));
  EXPECT_EQ(untouched.platformId, 99u);
}

// The applications' identifiers, and a jump list's recent and frequent
// entries removed through the shell's own call.
TEST(ShellContract, TheApplicationsAreListedAndAJumpListIsClearedPerApplication) {
  std::vector<std::string> ids{"poison"};
  const long listed = shell().ApplicationIds(&ids);
  std::printf("the Applications folder: HRESULT 0x%08lx, %zu identifiers\n", static_cast<unsigned long>(listed),
              ids.size());
  // Wine 8 has no Applications folder: HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND).
  EXPECT_EQ(static_cast<uint32_t>(listed),
            WindowsOrWine<uint32_t>(platform::kHresultOk, platform::kHresultFromWin32 | platform::kErrorFileNotFound))
      << std::hex << listed;
  if (platform::Succeeded(listed)) {
    for (const std::string& id : ids) {
      EXPECT_FALSE(id.empty());
      EXPECT_NE(id, "poison") << "the list is replaced";
    }
  } else {
    EXPECT_EQ(ids, std::vector<std::string>{"poison"}) << "untouched on failure";
  }
  // An application with no jump list: nothing to remove, which is no failure.
  const long removed = shell().RemoveAllDestinations("Tessaly.Corvane.ContractTest");
  std::printf("RemoveAllDestinations: HRESULT 0x%08lx\n", static_cast<unsigned long>(removed));
  // Windows answers S_OK; Wine 8 makes the object but answers E_NOTIMPL.
  EXPECT_EQ(removed, WindowsOrWine(platform::kHresultOk, platform::kHresultNotImplemented)) << std::hex << removed;
}

}  // namespace
}  // namespace contract
