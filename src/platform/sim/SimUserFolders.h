// What Windows 10 and 11 keep in a user's folders where the cleaners work,
// beside what they clean: the jump lists and Quick Access pins in Recent,
// Outlook's attachments and Office's working files in INetCache.
#pragma once

#include "platform/sim/SimFileSystem.h"
#include "platform/sim/SimShell.h"

namespace platform::sim {

// The user's own, which no cleaner may take.
inline constexpr char kQuickAccessPin[] = "C:\\users\\user\\Documents\\Projects";
inline constexpr char kOutlookAttachment[] =
    "C:\\users\\user\\AppData\\Local\\Microsoft\\Windows\\INetCache\\Content.Outlook\\Q7W2E9RT\\Invoice 2024.xlsx";
inline constexpr char kOfficeWorkingFile[] =
    "C:\\users\\user\\AppData\\Local\\Microsoft\\Windows\\INetCache\\Content.MSO\\4F2A91C0.docx";
inline constexpr char kWordWorkingFile[] =
    "C:\\users\\user\\AppData\\Local\\Microsoft\\Windows\\INetCache\\Content.Word\\~WRS{6B1D}.tmp";
// An application's own tasks in its jump list.
inline constexpr char kCustomDestinations[] =
    "C:\\users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Recent\\CustomDestinations\\"
    "5d696d521de238c3.customDestinations-ms";

// Lays those folders out as a new profile of Windows 10 or 11 that has been
// used a little has them: Recent with its AutomaticDestinations (Explorer's
// jump list, with a pin in Quick Access) and CustomDestinations, INetCache
// with the browser's IE folder and Office's and Outlook's Content folders,
// an empty Network Shortcuts.
void AddWindowsUserFolders(SimFileSystem& files, SimShell& shell);

}  // namespace platform::sim
