// The portable names of the system's numbers (flags, attributes, folder and
// control numbers, record sizes), checked against the system's headers when
// the Win32 layer is built; the result codes are checked beside their own.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>
#include <wininet.h>

#include "platform/Desktop.h"
#include "platform/ErrorCodes.h"
#include "platform/FileSystem.h"
#include "platform/Registry.h"
#include "platform/Security.h"
#include "platform/Shell.h"
#include "platform/UrlCache.h"

namespace platform::win32 {

static_assert(kAttrReadOnly == FILE_ATTRIBUTE_READONLY);
static_assert(kAttrHidden == FILE_ATTRIBUTE_HIDDEN);
static_assert(kAttrSystem == FILE_ATTRIBUTE_SYSTEM);
static_assert(kAttrDirectory == FILE_ATTRIBUTE_DIRECTORY);
static_assert(kAttrArchive == FILE_ATTRIBUTE_ARCHIVE);
static_assert(kAttrNormal == FILE_ATTRIBUTE_NORMAL);
static_assert(kAttrReparsePoint == FILE_ATTRIBUTE_REPARSE_POINT);
static_assert(kInvalidAttributes == INVALID_FILE_ATTRIBUTES);
static_assert(kReparseTagSymlink == IO_REPARSE_TAG_SYMLINK);
static_assert(kReparseTagMountPoint == IO_REPARSE_TAG_MOUNT_POINT);
static_assert(IsReparseTagNameSurrogate(kReparseTagNameSurrogateBit) &&
              !IsReparseTagNameSurrogate(~kReparseTagNameSurrogateBit));

static_assert(static_cast<DWORD>(RegType::None) == REG_NONE);
static_assert(static_cast<DWORD>(RegType::String) == REG_SZ);
static_assert(static_cast<DWORD>(RegType::Binary) == REG_BINARY);
static_assert(static_cast<DWORD>(RegType::DWord) == REG_DWORD);

static_assert(kKeyAllAccess == KEY_ALL_ACCESS);
static_assert(kAccessAllowedAceType == ACCESS_ALLOWED_ACE_TYPE);
static_assert(kObjectInheritAce == OBJECT_INHERIT_ACE);
static_assert(kContainerInheritAce == CONTAINER_INHERIT_ACE);
static_assert(kAclRevision == ACL_REVISION);
static_assert(kSecurityDescriptorRevision == SECURITY_DESCRIPTOR_REVISION);
static_assert(kSeDaclPresent == SE_DACL_PRESENT);
static_assert(kSeSelfRelative == SE_SELF_RELATIVE);

static_assert(kCsidlPersonal == CSIDL_PERSONAL);
static_assert(kCsidlFavorites == CSIDL_FAVORITES);
static_assert(kCsidlRecent == CSIDL_RECENT);
static_assert(kCsidlDesktopDirectory == CSIDL_DESKTOPDIRECTORY);
static_assert(kCsidlNetHood == CSIDL_NETHOOD);
static_assert(kCsidlAppData == CSIDL_APPDATA);
static_assert(kCsidlLocalAppData == CSIDL_LOCAL_APPDATA);
static_assert(kCsidlInternetCache == CSIDL_INTERNET_CACHE);
static_assert(kCsidlHistory == CSIDL_HISTORY);
static_assert(kCsidlCommonAppData == CSIDL_COMMON_APPDATA);
static_assert(kCsidlWindows == CSIDL_WINDOWS);
static_assert(kCsidlSystem == CSIDL_SYSTEM);
static_assert(kCsidlProgramFiles == CSIDL_PROGRAM_FILES);
static_assert(kCsidlProfile == CSIDL_PROFILE);
static_assert(kCsidlProgramFilesX86 == CSIDL_PROGRAM_FILESX86);
static_assert(kCsidlCommonDocuments == CSIDL_COMMON_DOCUMENTS);
static_assert(kCsidlMyMusic == CSIDL_MYMUSIC);
static_assert(kCsidlMyVideo == CSIDL_MYVIDEO);
static_assert(kCsidlCommonDesktopDirectory == CSIDL_COMMON_DESKTOPDIRECTORY);
static_assert(kCsidlMyPictures == CSIDL_MYPICTURES);
static_assert(kCsidlCommonMusic == CSIDL_COMMON_MUSIC);
static_assert(kCsidlCommonPictures == CSIDL_COMMON_PICTURES);
static_assert(kCsidlCommonVideo == CSIDL_COMMON_VIDEO);
static_assert(kCsidlPrograms == CSIDL_PROGRAMS);
static_assert(kCsidlStartup == CSIDL_STARTUP);
static_assert(kCsidlSendTo == CSIDL_SENDTO);
static_assert(kCsidlStartMenu == CSIDL_STARTMENU);
static_assert(kCsidlFonts == CSIDL_FONTS);
static_assert(kCsidlTemplates == CSIDL_TEMPLATES);
static_assert(kCsidlCommonStartMenu == CSIDL_COMMON_STARTMENU);
static_assert(kCsidlCommonPrograms == CSIDL_COMMON_PROGRAMS);
static_assert(kCsidlCommonStartup == CSIDL_COMMON_STARTUP);
static_assert(kCsidlCommonFavorites == CSIDL_COMMON_FAVORITES);
static_assert(kCsidlSystemX86 == CSIDL_SYSTEMX86);
static_assert(kCsidlProgramFilesCommon == CSIDL_PROGRAM_FILES_COMMON);
static_assert(kCsidlProgramFilesCommonX86 == CSIDL_PROGRAM_FILES_COMMONX86);
static_assert(kCsidlCommonTemplates == CSIDL_COMMON_TEMPLATES);
// Our own numbers for the known folders must be none of the system's:
// CSIDL numbers fit in a byte beside the CSIDL_FLAG_* bits.
static_assert(kKnownFolderDownloads > (CSIDL_FLAG_MASK | 0xFF) && kKnownFolderOneDrive > (CSIDL_FLAG_MASK | 0xFF));
static_assert(kRecycleNoConfirmation == SHERB_NOCONFIRMATION);
static_assert(kRecycleNoProgressUi == SHERB_NOPROGRESSUI);
static_assert(kRecycleNoSound == SHERB_NOSOUND);
static_assert(kVersionInfoExSize == sizeof(OSVERSIONINFOEXA));
static_assert(kVersionInfoSize == sizeof(OSVERSIONINFOA));

static_assert(kNotifyIconV1Size == NOTIFYICONDATAA_V1_SIZE);
static_assert(kNotifyIconMessage == NIF_MESSAGE);
static_assert(kNotifyIconIcon == NIF_ICON);
static_assert(kNotifyIconTip == NIF_TIP);
static_assert(kBalloonError == NIIF_ERROR);
static_assert(static_cast<DWORD>(NotifyIconOp::Add) == NIM_ADD);
static_assert(static_cast<DWORD>(NotifyIconOp::Modify) == NIM_MODIFY);
static_assert(static_cast<DWORD>(NotifyIconOp::Delete) == NIM_DELETE);
static_assert(kSwHide == SW_HIDE);
static_assert(kSwShow == SW_SHOW);
static_assert(kSwShowDefault == SW_SHOWDEFAULT);
static_assert(kModAlt == MOD_ALT);
static_assert(kModControl == MOD_CONTROL);
static_assert(kVkF1 == VK_F1);
static_assert(kVkF12 == VK_F12);

static_assert(kCookieCacheEntry == COOKIE_CACHE_ENTRY);

static_assert(kHresultFromWin32 == static_cast<uint32_t>(MAKE_HRESULT(SEVERITY_ERROR, FACILITY_WIN32, 0)));
static_assert(~kHresultWin32Mask == static_cast<uint32_t>(HRESULT_CODE(0xFFFFFFFFu)));

}  // namespace platform::win32
