// The portable names of the system's result codes, checked against the
// system's headers when the Win32 layer is built.
#include "platform/ErrorCodes.h"

#include <windows.h>

namespace platform::win32 {

static_assert(kErrorSuccess == ERROR_SUCCESS);
static_assert(kErrorFileNotFound == ERROR_FILE_NOT_FOUND);
static_assert(kErrorPathNotFound == ERROR_PATH_NOT_FOUND);
static_assert(kErrorAccessDenied == ERROR_ACCESS_DENIED);
static_assert(kErrorInvalidHandle == ERROR_INVALID_HANDLE);
static_assert(kErrorSharingViolation == ERROR_SHARING_VIOLATION);
static_assert(kErrorLockViolation == ERROR_LOCK_VIOLATION);
static_assert(kErrorInvalidParameter == ERROR_INVALID_PARAMETER);
static_assert(kErrorInsufficientBuffer == ERROR_INSUFFICIENT_BUFFER);
static_assert(kErrorAlreadyExists == ERROR_ALREADY_EXISTS);
static_assert(kErrorFileTooLarge == ERROR_FILE_TOO_LARGE);
static_assert(kErrorMoreData == ERROR_MORE_DATA);
static_assert(kErrorDirNotEmpty == ERROR_DIR_NOT_EMPTY);
static_assert(kErrorNoMoreItems == ERROR_NO_MORE_ITEMS);
// MinGW's headers lack ERROR_FAIL_NOACTION_REBOOT and ERROR_FAIL_SHUTDOWN;
// 350 and 351 are their documented values.
static_assert(kErrorDirectory == ERROR_DIRECTORY);
// MinGW's headers lack ERROR_STOPPED_ON_SYMLINK; 681 is its documented value.
static_assert(kErrorKeyDeleted == ERROR_KEY_DELETED);
static_assert(kErrorFileCorrupt == ERROR_FILE_CORRUPT);
static_assert(kErrorHotkeyAlreadyRegistered == ERROR_HOTKEY_ALREADY_REGISTERED);
static_assert(kErrorDatabaseFailure == ERROR_DATABASE_FAILURE);
static_assert(kErrorNotAReparsePoint == ERROR_NOT_A_REPARSE_POINT);

static_assert(kHresultOk == S_OK);
static_assert(kHresultNotImplemented == E_NOTIMPL);
static_assert(kHresultFail == E_FAIL);
static_assert(kHresultInvalidArgument == E_INVALIDARG);
static_assert(kHresultClassNotRegistered == REGDB_E_CLASSNOTREG);
static_assert(kHresultNotFound == HRESULT_FROM_WIN32(ERROR_NOT_FOUND));

}  // namespace platform::win32
