// Fetching and keeping the latest definitions.
#include "community/Download.h"

#include "community/Definitions.h"
#include "community/Sources.h"
#include "files/OwnFile.h"
#include "util/Text.h"

namespace community {
namespace {

const char kKeptAsItWas[] = " The definitions are as they were.";

bool StartsWith(const std::string& text, const char* prefix) {
  const std::string lower = util::ToLowerAscii(text.substr(0, std::char_traits<char>::length(prefix)));
  return lower == prefix;
}

// The folder below `parent`, made when missing, as that folder's own (no link).
std::string OwnFolder(platform::FileSystem& files, const std::string& parent, const std::string& name) {
  if (!files.Exists(parent + "\\" + name)) files.MakeFolder(parent + "\\" + name);
  return files::ReachedAsOwnFolder(files, parent, name);
}

}  // namespace

std::string UrlProblem(const std::string& url) {
  if (StartsWith(url, "https://") && url.size() > 8) return {};
  if (StartsWith(url, "http://127.0.0.1:") || StartsWith(url, "http://127.0.0.1/")) return {};
  return "Corvane fetches definitions only over HTTPS, and " + url + " is not such an address.";
}

Fetched FetchDefinitions(platform::Platform& platform, const std::string& url,
                         const std::function<bool(uint64_t, uint64_t)>& progress) {
  Fetched fetched;
  if (std::string problem = UrlProblem(url); !problem.empty()) {
    fetched.message = problem + kKeptAsItWas;
    return fetched;
  }
  std::string body;
  const platform::HttpResult got = platform.http.Get(url, kMaxDefinitionBytes, progress, &body);
  if (got.cancelled) {
    fetched.message = std::string("The download was cancelled.") + kKeptAsItWas;
  } else if (got.tooLarge) {
    fetched.message = "The file at " + url + " is larger than 16 MB and was not kept." + kKeptAsItWas;
  } else if (got.error) {
    fetched.message = "The definitions could not be downloaded from " + url + " (error " + std::to_string(got.error) +
                      ")." + kKeptAsItWas;
  } else if (got.status != 200) {
    fetched.message = "The server answered " + std::to_string(got.status) + " for " + url + "." + kKeptAsItWas;
  }
  if (!fetched.message.empty()) return fetched;
  const Definitions definitions = ParseDefinitions(body, url);
  if (!definitions.refused.empty()) {
    fetched.message =
        "What " + url + " gave is no definitions file (" + definitions.refused + ") and was not kept." + kKeptAsItWas;
    return fetched;
  }
  std::string appData;
  platform::FileSystem& files = platform.files;
  std::string folder;
  if (platform.shell.SpecialFolder(platform::kCsidlAppData, &appData)) {
    const std::string corvane = OwnFolder(files, appData, "Corvane");
    if (!corvane.empty()) folder = OwnFolder(files, corvane, "Cleaners");
  }
  const std::string path = folder + "\\" + kDownloadedDefinitions;
  long error = platform::kErrorAccessDenied;
  if (!folder.empty() && files::IsMissingOrOwnFile(files, path, folder, kDownloadedDefinitions)) {
    error = files.ReplaceWholeFile(path, body);
  }
  if (error != platform::kErrorSuccess) {
    fetched.message = "The definitions could not be saved in " + UserDefinitionsFolder(platform) + " (error " +
                      std::to_string(error) + ")." + kKeptAsItWas;
    return fetched;
  }
  fetched.kept = true;
  fetched.message = "The latest definitions were saved: " +
                    (definitions.version.empty() ? std::string("no version line") : definitions.version) + ", " +
                    std::to_string(definitions.entries.size()) + " entries.";
  return fetched;
}

}  // namespace community
