// A browser's processes, and closing one that runs in the background.
#include "browsers/BrowserProcesses.h"

#include <algorithm>

#include "platform/ErrorCodes.h"
#include "util/Text.h"

namespace browsers {

BrowserRun RunOf(const BrowserRow& browser, const std::vector<platform::RunningProcess>& processes) {
  BrowserRun run = BrowserRun::NotRunning;
  for (const platform::RunningProcess& p : processes) {
    if (!util::EqualNoCase(p.programFile, browser.programFile)) continue;
    if (p.windowShown) return BrowserRun::WithWindow;
    run = BrowserRun::InBackground;
  }
  return run;
}

std::string NameInBackground(const BrowserRow& browser) {
  const std::string settings = browser.keptRunningBy;
  if (settings.empty()) return browser.name;
  const bool several = settings.rfind("its settings ", 0) == 0;
  return std::string(browser.name) + " (" + settings + (several ? " keep" : " keeps") + " it running)";
}

std::vector<std::string> FilesHeldWhileRunning(const BrowserRow& browser, const std::vector<Profile>& profiles) {
  std::vector<std::string> files;
  for (const Profile& p : profiles) {
    if (browser.family == Family::Firefox) {
      files.push_back(p.folder + "\\parent.lock");
      files.push_back(p.folder + "\\places.sqlite");
      continue;
    }
    // The lock file lies in the data folder, above the profiles (Opera's is both).
    const std::string data = browser.folderIsProfile ? p.folder : p.folder.substr(0, p.folder.find_last_of('\\'));
    if (std::find(files.begin(), files.end(), data + "\\lockfile") == files.end()) files.push_back(data + "\\lockfile");
    files.push_back(p.folder + "\\History");
  }
  return files;
}

namespace {

std::string ErrorText(const char* what, long error) {
  return std::string(what) + " (error " + std::to_string(error) + ")";
}

// Why the processes using the files may not be closed: one that is not the
// browser's own. Empty when every one is.
std::string OtherUser(const BrowserRow& browser, const std::vector<uint32_t>& users,
                      const std::vector<platform::RunningProcess>& processes) {
  for (uint32_t id : users) {
    auto p = std::find_if(processes.begin(), processes.end(),
                          [id](const platform::RunningProcess& running) { return running.id == id; });
    if (p == processes.end()) return "a program of another session also has its files open";
    if (!util::EqualNoCase(p->programFile, browser.programFile)) return p->programFile + " also has its files open";
  }
  return {};
}

std::string AskToEnd(platform::Process& process, const BrowserRow& browser, const std::vector<Profile>& profiles) {
  long error = 0;
  std::unique_ptr<platform::RestartSession> session = process.StartRestartSession(&error);
  if (!session) return ErrorText("Windows' Restart Manager could not be started", error);
  error = session->RegisterFiles(FilesHeldWhileRunning(browser, profiles));
  if (error != platform::kErrorSuccess) return ErrorText("Windows' Restart Manager refused its files", error);
  std::vector<uint32_t> users;
  error = session->ListUsers(&users);
  if (error != platform::kErrorSuccess)
    return ErrorText("Windows' Restart Manager could not list its processes", error);
  if (users.empty()) return "Windows found none of its processes holding its profile, so none could be asked to end";
  // Another program holding the profile is not ours to close.
  std::string other = OtherUser(browser, users, process.RunningProcesses());
  if (!other.empty()) return other;
  switch (error = session->ShutDownUsers()) {
    case platform::kErrorSuccess:
      return {};
    case platform::kErrorFailShutdown:
      return "it did not end when asked";
    case platform::kErrorFailNoActionReboot:
      return "Windows would not close it for this user (it may run as an administrator)";
  }
  return ErrorText("Windows' Restart Manager could not close it", error);
}

}  // namespace

std::string CloseInBackground(platform::Process& process, platform::Clock& clock, const BrowserRow& browser,
                              const std::vector<Profile>& profiles) {
  std::string failure = AskToEnd(process, browser, profiles);
  if (!failure.empty()) return failure;
  // Its helper processes end a moment after the one that held the files.
  constexpr uint32_t kStepMs = 100;
  for (uint32_t waited = 0; RunOf(browser, process.RunningProcesses()) != BrowserRun::NotRunning; waited += kStepMs) {
    if (waited >= kCloseWaitMs) return "it was asked to end and still runs";
    clock.Sleep(kStepMs);
  }
  return {};
}

}  // namespace browsers
