// The shell's folder lookups, the recycle bin and the version query, shaped
// like SHGetSpecialFolderPath, GetTempPath, GetWindowsDirectory,
// SHEmptyRecycleBin, SHQueryRecycleBin and GetVersionEx.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/ErrorCodes.h"

namespace platform {

// The CSIDL_* numbers of the special folders the program asks for.
enum Csidl : int {
  kCsidlPersonal = 5,
  kCsidlFavorites = 6,
  kCsidlRecent = 8,
  kCsidlDesktopDirectory = 16,
  kCsidlNetHood = 19,
  kCsidlAppData = 26,
  kCsidlLocalAppData = 28,
  kCsidlInternetCache = 32,
  kCsidlHistory = 34,
  kCsidlCommonAppData = 35,
  kCsidlWindows = 36,
  kCsidlSystem = 37,
  kCsidlProgramFiles = 38,
  kCsidlProfile = 40,
  kCsidlProgramFilesX86 = 42,
  kCsidlCommonDocuments = 46,
  kCsidlMyMusic = 13,
  kCsidlMyVideo = 14,
  kCsidlCommonDesktopDirectory = 25,
  kCsidlMyPictures = 39,
  kCsidlCommonMusic = 53,
  kCsidlCommonPictures = 54,
  kCsidlCommonVideo = 55,
  kCsidlPrograms = 2,
  kCsidlStartup = 7,
  kCsidlSendTo = 9,
  kCsidlStartMenu = 11,
  kCsidlFonts = 20,
  kCsidlTemplates = 21,
  kCsidlCommonStartMenu = 22,
  kCsidlCommonPrograms = 23,
  kCsidlCommonStartup = 24,
  kCsidlCommonFavorites = 31,
  kCsidlSystemX86 = 41,
  kCsidlProgramFilesCommon = 43,
  kCsidlProgramFilesCommonX86 = 44,
  kCsidlCommonTemplates = 45,
  // Folders with no CSIDL number, only a known-folder identifier
  // (SHGetKnownFolderPath): numbers of our own, far from every CSIDL.
  kKnownFolderDownloads = 0x10001,
  kKnownFolderOneDrive = 0x10002,
  kKnownFolderLocalAppDataLow = 0x10003,
  kKnownFolderPublic = 0x10004,
  kKnownFolderUserProfiles = 0x10005,  // the folder that holds every profile
  kKnownFolderSavedGames = 0x10006,
  kKnownFolderLinks = 0x10007,
  kKnownFolderContacts = 0x10008,
  kKnownFolderSearches = 0x10009,
  kKnownFolderPublicDownloads = 0x1000A,
  // The 64-bit Program Files and its Common Files, also for a 32-bit
  // program on 64-bit Windows (whose CSIDL_PROGRAM_FILES is the x86 one);
  // none on 32-bit Windows.
  kKnownFolderProgramFilesX64 = 0x1000B,
  kKnownFolderProgramFilesCommonX64 = 0x1000C,
};

// SHEmptyRecycleBin flags.
enum : uint32_t {
  kRecycleNoConfirmation = 1,
  kRecycleNoProgressUi = 2,
  kRecycleNoSound = 4,
};

// What GetVersionEx fills in.
struct OsVersion {
  uint32_t major = 0;
  uint32_t minor = 0;
  uint32_t build = 0;
  uint32_t platformId = 0;  // 1 = Windows 95/98/Me, 2 = the NT family
};

// The structure sizes GetVersionExA knows: OSVERSIONINFOEXA and OSVERSIONINFOA.
enum : uint32_t { kVersionInfoExSize = 156, kVersionInfoSize = 148 };

class Shell {
 public:
  virtual ~Shell() = default;
  // A special folder's path, without creating a missing folder; false when
  // the system cannot name it.
  virtual bool SpecialFolder(int csidl, std::string* path) = 0;
  // The temporary folder, ending with a separator; false when there is none.
  virtual bool TempFolder(std::string* path) = 0;
  // The temporary folder the account's own environment names: TMP, else
  // TEMP, of the environment the system makes for the user
  // (CreateEnvironmentBlock), not of this process's, which whoever started
  // it may have changed. False when it names none.
  virtual bool UserTempFolder(std::string* path) = 0;
  // The Windows folder, without a trailing separator.
  virtual bool WindowsFolder(std::string* path) = 0;
  // Empties the recycle bins of every drive; returns the HRESULT.
  virtual long EmptyRecycleBin(uint32_t flags) = 0;
  // What the recycle bins of every drive hold: the number of items and
  // their size in bytes. Returns the HRESULT; *items and *bytes are set only
  // on success.
  virtual long QueryRecycleBin(uint64_t* items, uint64_t* bytes) = 0;
  // GetVersionExA with the structure size `structSize`; false when the call fails.
  virtual bool QueryVersion(uint32_t structSize, OsVersion* version) = 0;
  // The AppUserModelIDs of the applications the shell lists in its
  // Applications folder (shell:AppsFolder): the identifiers jump lists are
  // kept under. Returns the HRESULT; *ids is filled only on success.
  virtual long ApplicationIds(std::vector<std::string>* ids) = 0;
  // IApplicationDestinations::SetAppID and RemoveAllDestinations: removes
  // the Recent and Frequent entries of that application's jump list and
  // keeps the ones the user pinned. Returns the HRESULT.
  virtual long RemoveAllDestinations(const std::string& appId) = 0;
};

}  // namespace platform
