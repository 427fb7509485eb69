// Getting the latest definitions: the Winapp2 project's file for programs
// other than its original host, fetched only when the user asks, over
// HTTPS, and kept only when it reads as the format.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "platform/Platform.h"

namespace community {

// Its raw address in the project's repository; an organisation may point
// the setting CommunityCleanersUrl at its own copy.
constexpr const char* kDefaultDefinitionsUrl =
    "https://raw.githubusercontent.com/MoscaDotTo/Winapp2/master/Non-CCleaner/Winapp2.ini";
// The file it goes to, in the user's definitions folder.
constexpr const char* kDownloadedDefinitions = "winapp2.ini";

// Why nothing is fetched from `url`, or empty: HTTPS only, and plain HTTP
// only to 127.0.0.1 (a test's own server).
std::string UrlProblem(const std::string& url);

struct Fetched {
  bool kept = false;    // the new file is in place
  std::string message;  // for the user, in every case
};

// Fetches `url` and, when it reads as definitions with at least one entry
// and is within kMaxDefinitionBytes, replaces
// %APPDATA%\Corvane\Cleaners\winapp2.ini with it as the keep-list is
// written: a new file beside it renamed over it, never through a link. On
// any failure, or when `progress` cancels, the old file stays as it was.
Fetched FetchDefinitions(platform::Platform& platform, const std::string& url,
                         const std::function<bool(uint64_t received, uint64_t total)>& progress);

}  // namespace community
