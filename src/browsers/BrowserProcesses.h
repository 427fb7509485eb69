// Whether a browser of the table runs in this session, and how: with a
// window the user has open, or only in the background, where its own
// settings (Edge's startup boost, Chromium's background apps) keep its
// processes after its last window closed. And closing one that runs in the
// background, as Windows closes a program before an update.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "browsers/BrowserTable.h"
#include "browsers/Profiles.h"
#include "platform/Clock.h"
#include "platform/Process.h"

namespace browsers {

enum class BrowserRun { NotRunning, WithWindow, InBackground };

// How `browser` runs among `processes` (Process::RunningProcesses).
BrowserRun RunOf(const BrowserRow& browser, const std::vector<platform::RunningProcess>& processes);

// "Microsoft Edge (its settings ... keep it running)": the name, and what
// keeps it running when the browser has a setting known for it.
std::string NameInBackground(const BrowserRow& browser);

// The files of these profiles that the browser holds open while it runs:
// Chromium's lock file of its data folder and each profile's History,
// Firefox's parent.lock and places.sqlite.
std::vector<std::string> FilesHeldWhileRunning(const BrowserRow& browser, const std::vector<Profile>& profiles);

// How long a closing waits for the browser's last processes to end.
constexpr uint32_t kCloseWaitMs = 5000;

// Closes `browser`, running in the background with these profiles: the
// Restart Manager asks the processes that hold their files to end, only
// when each one is the browser's own, and the closing waits until none of
// its processes runs. Empty when none does; otherwise why it still runs.
std::string CloseInBackground(platform::Process& process, platform::Clock& clock, const BrowserRow& browser,
                              const std::vector<Profile>& profiles);

}  // namespace browsers
