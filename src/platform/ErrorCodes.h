// The system's result codes that the program and the simulation name: Win32
// error codes and HRESULTs. The Win32 layer checks
// every one against the system's own headers (Win32ErrorCodes.cpp).
#pragma once

#include <cstdint>

namespace platform {

// Win32 error codes, as GetLastError and the Reg* calls give them.
enum : long {
  kErrorSuccess = 0,
  kErrorFileNotFound = 2,
  kErrorPathNotFound = 3,
  kErrorAccessDenied = 5,
  kErrorInvalidHandle = 6,
  kErrorSharingViolation = 32,  // another program has the file open
  kErrorLockViolation = 33,
  kErrorInvalidParameter = 87,
  kErrorInsufficientBuffer = 122,
  kErrorAlreadyExists = 183,
  kErrorFileTooLarge = 223,
  kErrorMoreData = 234,
  kErrorDirNotEmpty = 145,
  kErrorNoMoreItems = 259,
  kErrorFailNoActionReboot = 350,  // the Restart Manager would need a restart: it closed nothing
  kErrorFailShutdown = 351,        // a program asked to close did not
  kErrorDirectory = 267,           // not a folder
  kErrorStoppedOnSymlink = 681,    // a link left alone rather than followed
  kErrorKeyDeleted = 1018,
  kErrorFileCorrupt = 1392,              // a damaged file, left as it is
  kErrorHotkeyAlreadyRegistered = 1409,  // another program holds the combination
  kErrorDatabaseFailure = 4313,
  kErrorNotAReparsePoint = 4390,
};

// What a call on a missing file, folder or key answers.
inline bool IsNotFound(long error) { return error == kErrorFileNotFound || error == kErrorPathNotFound; }
// What a call on a file another program holds open answers.
inline bool IsInUse(long error) { return error == kErrorSharingViolation || error == kErrorLockViolation; }

// An HRESULT: negative on failure.
using HResult = int32_t;
constexpr HResult kHresultOk = 0;
constexpr HResult kHresultNotImplemented = static_cast<HResult>(0x80004001u);      // E_NOTIMPL
constexpr HResult kHresultFail = static_cast<HResult>(0x80004005u);                // E_FAIL
constexpr HResult kHresultInvalidArgument = static_cast<HResult>(0x80070057u);     // E_INVALIDARG
constexpr HResult kHresultClassNotRegistered = static_cast<HResult>(0x80040154u);  // REGDB_E_CLASSNOTREG
constexpr HResult kHresultNotFound = static_cast<HResult>(0x80070490u);            // E_NOTFOUND: no such device
inline bool Succeeded(HResult result) { return result >= 0; }
// HRESULT_FROM_WIN32: a failure of the Win32 facility, the code in the low word.
constexpr uint32_t kHresultWin32Mask = 0xFFFF0000u;
constexpr uint32_t kHresultFromWin32 = 0x80070000u;

}  // namespace platform
