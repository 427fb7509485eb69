// The last run's report file.
#include "services/LastRunReport.h"

#include "files/OwnFile.h"

namespace services {

std::string ReportFileBytes(const std::string& report) { return "\xEF\xBB\xBF" + report; }

std::string ReportWithMessage(const std::string& report, const std::string& message) {
  return report + (report.empty() ? "" : "\r\n") + message + "\r\n";
}

std::string WriteLastRunReport(platform::Platform& platform, const std::string& report) {
  platform::FileSystem& files = platform.files;
  std::string local;
  if (!platform.shell.SpecialFolder(platform::kCsidlLocalAppData, &local)) {
    return "Windows does not name the local application data folder.";
  }
  const std::string folder = local + "\\" + kLastRunFolder;
  if (!files.IsDirectory(folder) && !files.MakeFolder(folder)) {
    long error = files.LastError();
    // Made meanwhile by another run is as good.
    if (!files.IsDirectory(folder)) {
      return "The folder " + folder + " cannot be created (error " + std::to_string(error) + ").";
    }
  }
  const std::string reached = files::ReachedAsOwnFolder(files, local, kLastRunFolder);
  if (reached.empty()) return "The folder " + folder + " leads to another place through a link.";
  const std::string path = folder + "\\" + kLastRunFile;
  if (!files::IsMissingOrOwnFile(files, path, reached, kLastRunFile)) {
    return "The file " + path + " leads to another place through a link or has another name.";
  }
  // Through the folder opened as itself below the one the system named, so
  // that the checks above hold for the write.
  if (long error = files.ReplaceFileBelow(local, path, ReportFileBytes(report))) {
    if (error == platform::kErrorStoppedOnSymlink) {
      return "A folder on the way to " + path + " is a link to another place.";
    }
    return "The file " + path + " cannot be written (error " + std::to_string(error) + ").";
  }
  return {};
}

}  // namespace services
