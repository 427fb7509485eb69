// A security identifier in its text form ("S-1-5-21-..."), as the registry's
// HKEY_USERS and the access lists name accounts.
#pragma once

#include <windows.h>

#include <string>

namespace platform::win32 {

// ConvertSidToStringSidW; empty for a null SID or when the system cannot convert it.
std::wstring SidText(PSID sid);

}  // namespace platform::win32
