// The keep-list file.
#include "cookies/KeepList.h"

#include "app/Paths.h"

namespace cookies {
namespace {

constexpr long kErrorPathNotFound = 3;
constexpr long kErrorSharingViolation = 32;
constexpr int kSaveAttempts = 10;
constexpr uint32_t kSavePauseMs = 20;

std::string SettingsFolder(platform::Platform& platform) {
  return app::FolderOf(platform.process.ExecutablePath()) + "Settings";
}

// One level only; a failure shows later as a missing file or a failed write.
void EnsureSettingsFolder(platform::Platform& platform) {
  std::string folder = SettingsFolder(platform);
  if (!platform.files.IsDirectory(folder)) platform.files.MakeFolder(folder);
}

}  // namespace

std::string KeepListPath(platform::Platform& platform) { return SettingsFolder(platform) + "\\SafeCookies.txt"; }

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
  std::string path = KeepListPath(platform);
  std::string bytes;
  long error = platform.files.ReadWholeFile(path, &bytes);
  if (error == platform::kErrorFileNotFound || error == kErrorPathNotFound) return {};
  if (error != platform::kErrorSuccess) {
    throw KeepListError("The list of cookies to keep (" + path + ") exists but cannot be read (error " +
                        std::to_string(error) + ").");
  }
  return SplitLines(platform.ansi.ToUtf8(bytes));
}

bool WriteKeepList(platform::Platform& platform, const std::vector<std::string>& lines, std::string* whyNot) {
  EnsureSettingsFolder(platform);
  std::string path = KeepListPath(platform);
  std::string fail;
  if (!platform.files.IsDirectory(SettingsFolder(platform))) {
    fail = "The folder " + SettingsFolder(platform) + " is missing and cannot be created.";
  } else {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    std::string bytes = platform.ansi.FromUtf8(text);
    // A reader that has the file open at that moment (a cleaning run reading
    // it) makes the replacement fail with access denied or a sharing
    // violation; the save waits a little and tries again before giving up.
    long error = platform.files.ReplaceWholeFile(path, bytes);
    for (int attempt = 1; attempt < kSaveAttempts && (error == platform::kErrorAccessDenied ||
                                                       error == kErrorSharingViolation);
         ++attempt) {
      platform.clock.Sleep(kSavePauseMs);
      error = platform.files.ReplaceWholeFile(path, bytes);
    }
    if (error != platform::kErrorSuccess) {
      fail = "The list of cookies to keep (" + path + ") cannot be written (error " + std::to_string(error) + ").";
    }
  }
  if (!fail.empty() && whyNot) *whyNot = fail;
  return fail.empty();
}

}  // namespace cookies
