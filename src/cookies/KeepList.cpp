// The keep-list file.
#include "cookies/KeepList.h"

#include "files/OwnFile.h"
#include "files/Paths.h"
#include "util/Text.h"

namespace cookies {
namespace {

constexpr const char* kKeepListFile = "SafeCookies.txt";
constexpr int kSaveAttempts = 10;
constexpr uint32_t kSavePauseMs = 20;

// The largest keep-list read or written. A line is one site name, a host
// name of at most 253 characters; 16 MiB holds more than 60,000 of the
// longest, far beyond the few hundred sites a person keeps or the cookies a
// browser holds, and a list that size still loads in a moment. A larger
// file is no keep-list of ours.
constexpr size_t kMaxKeepListBytes = size_t{16} << 20;

// With its trailing backslash; empty when the system cannot say, and then
// there is no keep-list (a relative path would name another folder).
std::string ProgramFolder(platform::Platform& platform) { return files::FolderOf(platform.process.ExecutablePath()); }

std::string SettingsFolder(platform::Platform& platform) { return ProgramFolder(platform) + "Settings"; }

// One level only; a failure shows later as a missing file or a failed write.
void EnsureSettingsFolder(platform::Platform& platform) {
  std::string folder = SettingsFolder(platform);
  if (!ProgramFolder(platform).empty() && !platform.files.IsDirectory(folder)) platform.files.MakeFolder(folder);
}

// The "Settings" folder is writable by every user of the machine, so one of
// them may have put a link (a junction, a symbolic link, a hard link to the
// file) in the place of the folder or the file, to make everybody's program
// read and write another file. The folder must be reached as the program
// folder's own "Settings", and the file as that folder's own, with no other
// name. Returns the folder as the system reaches it, or a sentence that says
// what is wrong in *problem.
std::string CheckedSettingsFolder(platform::Platform& platform, std::string* problem) {
  std::string program = ProgramFolder(platform);
  program.pop_back();  // its trailing backslash
  std::string reached = files::ReachedAsOwnFolder(platform.files, program, "Settings");
  if (reached.empty()) {
    *problem = "The folder " + SettingsFolder(platform) +
               " leads to another place through a link, so the list of cookies to keep is neither read nor "
               "written there.";
  }
  return reached;
}

std::string NotOwnFileProblem(const std::string& path) {
  return "The list of cookies to keep (" + path +
         ") leads to another place through a link or has another name, so it is neither read nor written.";
}

std::string TooLargeProblem(const std::string& path) {
  return "The list of cookies to keep (" + path + ") is larger than " + std::to_string(kMaxKeepListBytes >> 20) +
         " MB, far beyond any list of sites; it is neither read nor written.";
}

std::string ConversionProblem(const std::string& path) {
  return "The list of cookies to keep (" + path + ") cannot be converted from or to the system's code page.";
}

// Replaces the file with `lines`; empty when done, otherwise why not.
std::string WriteLines(platform::Platform& platform, const std::vector<std::string>& lines) {
  const std::string path = KeepListPath(platform);
  if (ProgramFolder(platform).empty() || !platform.files.IsDirectory(SettingsFolder(platform))) {
    return "The folder " + SettingsFolder(platform) + " is missing and cannot be created.";
  }
  std::string problem;
  const std::string reached = CheckedSettingsFolder(platform, &problem);
  if (!problem.empty()) return problem;
  if (!files::IsMissingOrOwnFile(platform.files, path, reached, kKeepListFile)) return NotOwnFileProblem(path);
  std::string text, bytes;
  for (const std::string& line : lines) text += line + "\r\n";
  if (!platform.ansi.FromUtf8(text, &bytes)) return ConversionProblem(path);
  if (bytes.size() > kMaxKeepListBytes) return TooLargeProblem(path);  // it could not be read back
  // A reader that has the file open at that moment (a cleaning run reading
  // it) makes the replacement fail with access denied or a sharing
  // violation; the save waits a little and tries again before giving up.
  // Written through the Settings folder opened as itself below the program's
  // folder: what was checked above cannot be swapped for a link meanwhile.
  const std::string program = ProgramFolder(platform);
  long error = platform.files.ReplaceFileBelow(program, path, bytes);
  for (int attempt = 1;
       attempt < kSaveAttempts && (error == platform::kErrorAccessDenied || error == platform::kErrorSharingViolation);
       ++attempt) {
    platform.clock.Sleep(kSavePauseMs);
    error = platform.files.ReplaceFileBelow(program, path, bytes);
  }
  if (error == platform::kErrorSuccess) return {};
  if (error == platform::kErrorStoppedOnSymlink) return NotOwnFileProblem(path);
  return "The list of cookies to keep (" + path + ") cannot be written (error " + std::to_string(error) + ").";
}

}  // namespace

std::string KeepListPath(platform::Platform& platform) { return SettingsFolder(platform) + "\\" + kKeepListFile; }

bool CanKeep(platform::Platform& platform, const std::string& site) {
  std::string bytes;
  return platform.ansi.FromUtf8(site, &bytes);
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
  }
  return lines;
}

std::vector<std::string> ReadKeepList(platform::Platform& platform) {
  EnsureSettingsFolder(platform);
  // A folder that could not be made: no list, as when the file is missing.
  if (ProgramFolder(platform).empty() || !platform.files.Exists(SettingsFolder(platform))) return {};
  std::string problem;
  const std::string reached = CheckedSettingsFolder(platform, &problem);
  if (!problem.empty()) throw KeepListError(problem);
  const std::string path = KeepListPath(platform);
  long error = 0;
  std::unique_ptr<platform::ReadableFile> file = platform.files.OpenForRead(path, &error);
  if (platform::IsNotFound(error)) return {};
  std::string bytes;
  if (file) {
    // Checked on the handle that is read, so the file cannot be swapped for a link in between.
    platform::FileIdentity identity;
    if (!file->Identify(&identity) || !files::IsOwnFile(identity, reached, kKeepListFile)) {
      throw KeepListError(NotOwnFileProblem(path));
    }
    error = file->ReadAll(kMaxKeepListBytes, &bytes);
  }
  if (error == platform::kErrorFileTooLarge) throw KeepListError(TooLargeProblem(path));
  if (error != platform::kErrorSuccess) {
    throw KeepListError("The list of cookies to keep (" + path + ") exists but cannot be read (error " +
                        std::to_string(error) + ").");
  }
  std::string text;
  if (!platform.ansi.ToUtf8(bytes, &text)) throw KeepListError(ConversionProblem(path));
  return SplitLines(text);
}

bool WriteKeepList(platform::Platform& platform, const std::vector<std::string>& lines, std::string* whyNot) {
  EnsureSettingsFolder(platform);
  std::string problem = WriteLines(platform, lines);
  if (!problem.empty() && whyNot) *whyNot = problem;
  return problem.empty();
}

}  // namespace cookies
