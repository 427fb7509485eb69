// Times the cookie walk against bare WinINet loops over an identical URL
// cache: 10 000 cookie entries of 2 000 sites, a keep-list of 1 000 sites.
// Prints the times and the ratios; it checks nothing.
#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <unordered_set>
#include <vector>

#include "cookies/CookieCache.h"
#include "platform/win32/Win32Platform.h"
#include "tests/support/CommitUrlCacheEntry.h"

namespace {

constexpr int kSites = 2000;
constexpr int kPathsPerSite = 5;
constexpr int kKeptSites = 1000;

std::string Site(int s) {
  char text[32];
  std::snprintf(text, sizeof text, "site%04d.example", s);
  return text;
}

std::string CookieName(int s, int p) { return "Cookie:bench@" + Site(s) + "/p" + std::to_string(p) + "/"; }

// Commits every cookie the cache lacks, so that it holds all 10 000.
int Fill(const std::unordered_set<std::string>& present) {
  int failed = 0;
  for (int s = 0; s < kSites; ++s) {
    for (int p = 0; p < kPathsPerSite; ++p) {
      std::string name = CookieName(s, p);
      if (!present.count(name))
        failed += !testsupport::CommitUrlCacheEntry(name, COOKIE_CACHE_ENTRY | NORMAL_CACHE_ENTRY);
    }
  }
  return failed;
}

// The bare loop: every cookie entry, each name handed to `visit`. Its
// buffer has the walk's size, which every entry here fits.
template <typename Visit>
void BareWalk(Visit visit) {
  std::vector<char> buffer(4096);
  auto* info = reinterpret_cast<INTERNET_CACHE_ENTRY_INFOA*>(buffer.data());
  DWORD size = static_cast<DWORD>(buffer.size());
  HANDLE find = FindFirstUrlCacheEntryA("Cookie:", info, &size);
  if (!find) return;
  do {
    visit(info->lpszSourceUrlName);
    size = static_cast<DWORD>(buffer.size());
  } while (FindNextUrlCacheEntryA(find, info, &size));
  FindCloseUrlCache(find);
}

std::unordered_set<std::string> Present() {
  std::unordered_set<std::string> names;
  BareWalk([&](const char* name) { names.insert(name); });
  return names;
}

double Seconds(LARGE_INTEGER from, LARGE_INTEGER to) {
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  return double(to.QuadPart - from.QuadPart) / double(frequency.QuadPart);
}

// This process's processor time (user and kernel), in seconds: less
// disturbed than the wall clock by other work on a shared machine.
double ProcessorSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto ticks = [](FILETIME t) { return (static_cast<uint64_t>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
  return double(ticks(kernel) + ticks(user)) / 1e7;
}

struct Timing {
  double wall = 1e9;
  double processor = 1e9;
};

// Runs `body` and keeps the smaller of each time seen so far.
template <typename Body>
void Time(Timing* best, Body body) {
  LARGE_INTEGER from, to;
  double cpuFrom = ProcessorSeconds();
  QueryPerformanceCounter(&from);
  body();
  QueryPerformanceCounter(&to);
  best->wall = std::min(best->wall, Seconds(from, to));
  best->processor = std::min(best->processor, ProcessorSeconds() - cpuFrom);
}

void Report(const char* mode, const char* bareName, const Timing& walk, const Timing& bare) {
  std::printf("%-12s walk %8.1f ms, %-22s %8.1f ms: ratio %.2f (processor time %.1f / %.1f ms: ratio %.2f)\n", mode,
              walk.wall * 1000, bareName, bare.wall * 1000, walk.wall / bare.wall, walk.processor * 1000,
              bare.processor * 1000, walk.processor / bare.processor);
}

}  // namespace

int main() {
  platform::win32::Win32Platform win32;
  std::vector<std::string> keepList;
  std::unordered_set<std::string> doomed;  // the bare delete loop's answer, made before it is timed
  for (int s = 0; s < kSites; ++s) {
    if (s % 2 == 0 && static_cast<int>(keepList.size()) < kKeptSites) {
      keepList.push_back(Site(s));
    } else {
      for (int p = 0; p < kPathsPerSite; ++p) doomed.insert(CookieName(s, p));
    }
  }

  Timing fill;
  Time(&fill, [&] { Fill(Present()); });
  size_t total = Present().size();
  std::printf("cache filled with %zu cookie entries of %d sites in %.1f s; keep-list of %zu sites\n", total, kSites,
              fill.wall, keepList.size());

  // Each comparison runs several times in alternating order, each time on
  // the same full cache, and the fastest time of each side counts.
  size_t bareCount = 0, leftByWalk = 0, leftByBare = 0;
  std::vector<std::string> sites;
  Timing bareList, walkList, walkDelete, bareDelete;
  for (int round = 0; round < 4; ++round) {
    auto bare = [&] {
      Time(&bareList, [&] {
        std::vector<std::string> names;
        BareWalk([&](const char* name) { names.emplace_back(name); });
        bareCount = names.size();
      });
    };
    auto walk = [&] {
      sites.clear();
      Time(&walkList, [&] { cookies::ScanCookieCache(win32.urlCache, cookies::ScanMode::List, {}, &sites); });
    };
    if (round % 2 == 0)
      bare(), walk();
    else
      walk(), bare();
  }
  for (int round = 0; round < 2; ++round) {
    auto walk = [&] {
      Time(&walkDelete,
           [&] { cookies::ScanCookieCache(win32.urlCache, cookies::ScanMode::Delete, keepList, nullptr); });
      leftByWalk = Present().size();
      Fill(Present());
    };
    auto bare = [&] {
      Time(&bareDelete, [&] {
        BareWalk([&](const char* name) {
          if (doomed.count(name)) DeleteUrlCacheEntryA(name);
        });
      });
      leftByBare = Present().size();
      Fill(Present());
    };
    if (round == 0)
      walk(), bare();
    else
      bare(), walk();
  }

  Report("list mode:", "bare enumeration", walkList, bareList);
  Report("delete mode:", "bare enumerate+delete", walkDelete, bareDelete);
  std::printf("entries: list %zu and %zu; delete %zu -> %zu and %zu -> %zu\n", sites.size(), bareCount, total,
              leftByWalk, total, leftByBare);
  std::printf("target: the keep-list costs under 20%% over the bare loop (delete-mode ratio below 1.20)\n");
  return 0;
}
