// Cleaning from the command line.
#include "app/CommandLine.h"

#include <exception>

#include "community/Detection.h"
#include "community/Sources.h"
#include "services/CleaningRun.h"
#include "services/LastRunReport.h"
#include "settings/CleanerSwitches.h"
#include "settings/CommunityChoices.h"
#include "util/Text.h"

namespace app {

const char kUsage[] =
    "Usage: corvane /preview [/report FILE]\r\n"
    "       corvane /clean [/closebackground] [/report FILE]\r\n"
    "       corvane /list\r\n"
    "\r\n"
    "  /preview      Lists what a cleaning would remove, and removes nothing.\r\n"
    "  /clean        Runs the cleaners switched on in the History Cleaner window,\r\n"
    "                sparing the cookies of the safe list, and keeps its report in\r\n"
    "                %LOCALAPPDATA%\\Corvane\\last-run.txt.\r\n"
    "  /closebackground\r\n"
    "                Closes first a browser to clean that runs in the background\r\n"
    "                with no window open (kept there by a setting such as Edge's\r\n"
    "                startup boost), as Windows closes a program before an update,\r\n"
    "                and cleans it. Without it such a browser is skipped.\r\n"
    "  /report FILE  Writes the report to FILE as well.\r\n"
    "  /list         Prints one line per cleaner Corvane can run on this machine:\r\n"
    "                the built-in ones by their setting name, then the community\r\n"
    "                cleaners whose applications are here, each after [x] when it\r\n"
    "                is chosen and [ ] when not.\r\n"
    "\r\n"
    "Without arguments Corvane starts in the notification area.\r\n"
    "\r\n"
    "Exit codes:\r\n"
    "  0  every selected cleaner ran to its end\r\n"
    "  1  a cleaner stopped, or the report could not be written (the reason is printed)\r\n"
    "  2  a bad command line\r\n"
    "  3  another cleaning is going on; nothing was done\r\n"
    "  4  every selected cleaner ran to its end, but a browser that was running, a\r\n"
    "     file in use, a link, a place not safe to clean or a damaged database was\r\n"
    "     skipped (the report names it)\r\n"
    "  5  corvane.com could not start corvane.exe\r\n"
    "  6  Corvane ended on a fault of its own; what the run did is unknown\r\n"
    "Where more than one applies: 2, then 3, then 1, then 4.\r\n";

namespace {

std::string Trimmed(std::string text) {
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.pop_back();
  return text;
}

Command Bad(const std::string& problem) { return {CommandAction::Bad, {}, problem}; }

// The report as asked for with /report: replaced at once, like every file
// the program writes. Empty when written; otherwise why not.
std::string WriteReportFile(platform::Platform& platform, const std::string& path, const std::string& report) {
  // A link or a second name in the file's place is refused, as for every
  // file the program replaces.
  platform::FindData existing;
  platform::FileIdentity identity;
  if (platform.files.FindFirst(path, &existing) &&
      ((existing.attributes & platform::kAttrReparsePoint) ||
       (platform.files.Identify(path, &identity) && identity.linkCount != 1))) {
    return "The report was not written to " + path + ": it is a link to another place or has another name.";
  }
  long error = platform.files.ReplaceWholeFile(path, services::ReportFileBytes(report));
  if (error == platform::kErrorSuccess) return {};
  if (error == platform::kErrorStoppedOnSymlink) {
    return "The report was not written to " + path + ": a folder on its path is a link to another place.";
  }
  return "The report could not be written to " + path + " (error " + std::to_string(error) + ").";
}

int Clean(platform::Platform& platform, const Command& command, const std::function<void(const std::string&)>& print) {
  const bool preview = command.action == CommandAction::Preview;
  services::CleaningRun run(platform);
  services::RunEnd end = run.RunHere(
      preview ? platform::recording::Mode::Preview : platform::recording::Mode::PassThrough, command.closeBackground);
  switch (end.ending) {
    case services::RunEnding::Busy:
      print(end.message + "\r\n");
      return kExitBusy;
    case services::RunEnding::NotStarted:
      print(end.message + "\r\n");
      return kExitStopped;
    case services::RunEnding::Finished:
    case services::RunEnding::Stopped:
      break;
  }
  // The report says how the run ended, and what stopped it.
  print(end.report);
  int exitCode = !end.success() ? kExitStopped : end.skipped() ? kExitSkipped : kExitFinished;
  std::string unwritten = end.unwritten;
  if (unwritten.empty() && !command.reportFile.empty()) {
    unwritten = WriteReportFile(platform, command.reportFile, end.report);
  }
  if (!unwritten.empty()) {
    print(unwritten + "\r\n");
    exitCode = kExitStopped;
  }
  return exitCode;
}

// One line per cleaner there is, marked chosen or not.
int List(platform::Platform& platform, const std::function<void(const std::string&)>& print) {
  cleaner::CleanerSelection switches{};
  browsers::BrowserSelection browserSwitches{};
  // A settings key that is not there yet chooses nothing.
  settings::ReadCleanerSwitches(platform.registry, false, &switches, &browserSwitches);
  std::vector<std::string> chosen;
  settings::ReadCommunityChoices(platform.registry, &chosen);
  std::string text;
  auto line = [&text](bool on, const std::string& name) { text += (on ? "[x] " : "[ ] ") + name + "\r\n"; };
  for (size_t i = 0; i < cleaner::kCleanerCount; ++i) line(switches[i], cleaner::kCleaners[i].valueName);
  for (size_t i = 0; i < browsers::kBrowserCount; ++i) line(browserSwitches[i], browsers::kBrowsers[i].settingName);
  const community::Catalogue catalogue = community::LoadCatalogue(platform);
  community::SystemFolders folders(platform);
  community::FolderListings listings(platform.files);
  for (const community::Entry& entry : catalogue.entries) {
    if (!community::IsDetected(entry, platform, folders, &listings)) continue;
    const bool on = std::any_of(chosen.begin(), chosen.end(),
                                [&entry](const std::string& name) { return util::EqualNoCase(name, entry.name); });
    line(on, entry.name);
  }
  print(text);
  return kExitFinished;
}

}  // namespace

std::vector<std::string> ArgumentsOf(const std::string& commandLine, const std::vector<std::string>& argv,
                                     const std::string& executablePath) {
  if (argv.size() <= 1 || util::EqualNoCase(Trimmed(commandLine), executablePath)) return {};
  return std::vector<std::string>(argv.begin() + 1, argv.end());
}

Command ParseCommandLine(const std::vector<std::string>& args) {
  Command command;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg.size() < 2 || (arg[0] != '/' && arg[0] != '-')) return Bad("\"" + arg + "\" is not a switch.");
    const std::string name = util::ToLowerAscii(arg.substr(1));
    CommandAction action = CommandAction::Bad;
    if (name == "preview") action = CommandAction::Preview;
    if (name == "clean") action = CommandAction::Clean;
    if (name == "list") action = CommandAction::List;
    if (name == "?" || name == "help") action = CommandAction::Help;
    if (name == "closebackground") {
      command.closeBackground = true;
      continue;
    }
    if (name == "report") {
      if (!command.reportFile.empty()) return Bad("/report is given twice.");
      if (i + 1 >= args.size() || args[i + 1].empty()) return Bad("/report needs the name of a file.");
      // A switch after /report is a switch, not a file of that name: a file
      // whose name begins with "/" or "-" is given as .\NAME.
      const char first = args[i + 1][0];
      if (first == '/' || first == '-')
        return Bad("/report needs the name of a file, not the switch " + args[i + 1] + ".");
      command.reportFile = args[++i];
      continue;
    }
    if (action == CommandAction::Bad) return Bad("Unknown switch " + arg + ".");
    if (command.action != CommandAction::Tray) return Bad("Only one of /preview, /clean and /list can be given.");
    command.action = action;
  }
  if (command.action == CommandAction::Tray && !args.empty()) return Bad("/preview or /clean is missing.");
  if ((command.action == CommandAction::Help || command.action == CommandAction::List) && !command.reportFile.empty()) {
    return Bad("/report goes with /preview or /clean.");
  }
  if (command.closeBackground && command.action != CommandAction::Clean) {
    return Bad("/closebackground goes with /clean.");
  }
  return command;
}

int RunCommand(platform::Platform& platform, const Command& command,
               const std::function<void(const std::string&)>& print) {
  switch (command.action) {
    case CommandAction::Preview:
    case CommandAction::Clean:
      try {
        return Clean(platform, command, print);
      } catch (const std::exception& e) {
        // A run never ends without a word: a result code a script can trust.
        print(std::string(services::kCleaningStoppedMessage) + e.what() + "\r\n");
        return kExitStopped;
      }
    case CommandAction::List:
      return List(platform, print);
    case CommandAction::Help:
      print(kUsage);
      return kExitFinished;
    case CommandAction::Tray:
    case CommandAction::Bad:
      break;
  }
  print(command.problem + "\r\n\r\n" + kUsage);
  return kExitBadCommandLine;
}

}  // namespace app
