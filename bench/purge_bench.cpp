// Times the purge of 20,400 empty files in 400 folders three ways against
// two minimal loops on identical trees in the same prefix: the bare
// PurgeFolder call on the Win32 layer, the same recorded as a cleaning run
// records every change, and the whole cleaning of the temporary folder
// through the real program's window, from "Yes" to the completion message,
// less the time of the same cleaning on an empty temporary folder. The loops
// are the DeleteFileW one a naive program would write, which under Wine
// deletes what a link leads to, and the least that does the purge's work
// (each entry opened as itself through its folder's handle, checked, and
// deleted through its own handle). The sides take turns, and each is run
// ROUNDS times; the medians and the best runs are printed. Run by
// purge_bench.sh, which builds the trees in STOCK.
// Usage: purge_bench.exe ROUNDS STOCK
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "CleanNowDriver.h"
#include "HistoryCleanerFromTray.h"
#include "LinkSafeDelete.h"
#include "PurgeTrees.h"
#include "cleaner/FolderPurge.h"
#include "platform/recording/Recorder.h"
#include "platform/win32/Win32Platform.h"
#include "platform/win32/WideString.h"

namespace {

using bench::Times;

// Round 0 is not counted: it loads what each side needs, and lets the new
// prefix settle.
constexpr int kWarmUpRounds = 1;

int Fail(const std::string& what) {
  std::fprintf(stderr, "purge_bench: %s\n", what.c_str());
  return 2;
}

// The two loops, each on a tree of its own.
struct Loops {
  Times byName, linkSafe;
};

double TimeLoop(bool linkSafe, const std::wstring& folder) {
  const double start = bench::Now();
  linkSafe ? MinimalLinkSafeDelete(folder.c_str()) : bench::MinimalDelete(folder);
  return bench::Now() - start;
}

// PurgeFolder on the Win32 layer, PurgeFolder on it recorded as a cleaning
// run records it, and the loops, each on a tree of its own in a folder of
// the temporary folder.
bool TimeBareCall(int rounds, bench::TreeStock& trees, Times* purge, Times* recorded, Loops* loops) {
  const std::wstring folder = bench::TempFolder() + L"\\purge-bench";
  if (!CreateDirectoryW(folder.c_str(), nullptr)) return false;
  platform::win32::Win32Platform real;
  const std::string target = platform::win32::Utf8(folder);
  for (int round = 0; round < kWarmUpRounds + rounds; ++round) {
    for (int turn = 0; turn < 4; ++turn) {
      const int side = (round + turn) % 4;
      if (!trees.PlaceNext(folder)) return false;
      double seconds;
      if (side < 2) {
        const double start = bench::Now();
        if (side == 0) {
          cleaner::PurgeFolder(real.files, target, cleaner::PurgeOptions{true, false});
        } else {
          platform::recording::Recorder recorder(real.platform, platform::recording::Mode::PassThrough);
          cleaner::PurgeFolder(recorder.platform().files, target, cleaner::PurgeOptions{true, false});
        }
        seconds = bench::Now() - start;
      } else {
        seconds = TimeLoop(side == 3, folder);
      }
      Times* times[] = {purge, recorded, &loops->byName, &loops->linkSafe};
      if (round >= kWarmUpRounds) times[side]->runs.push_back(seconds);
      if (!bench::IsEmptyFolder(folder)) return false;
    }
  }
  return RemoveDirectoryW(folder.c_str());
}

// The cleaning through the window on a tree in the temporary folder and on
// the empty folder, and the loops on a tree in the same place.
bool TimeThroughWindow(int rounds, bench::TreeStock& trees, bench::CleanNowDriver& corvane, Times* cleaning,
                       Times* empty, Loops* loops) {
  const std::wstring temp = bench::TempFolder();
  for (int round = 0; round < kWarmUpRounds + rounds; ++round) {
    for (int turn = 0; turn < 4; ++turn) {
      const int side = (round + turn) % 4;
      if (side != 1 && !trees.PlaceNext(temp)) return false;
      double seconds;
      if (side < 2) {
        seconds = corvane.TimeOneCleaning();
        if (seconds < 0) return false;
      } else {
        seconds = TimeLoop(side == 3, temp);
      }
      Times* times[] = {cleaning, empty, &loops->byName, &loops->linkSafe};
      if (round >= kWarmUpRounds) times[side]->runs.push_back(seconds);
      if (!bench::IsEmptyFolder(temp)) return false;
    }
  }
  return true;
}

void PrintRow(const char* what, double median, double best) {
  std::printf("  %-36s %8.3f s %8.3f s\n", what, median, best);
}

void PrintLoops(const Loops& loops) {
  PrintRow("minimal loop, DeleteFileW", loops.byName.Median(), loops.byName.Best());
  PrintRow("minimal link-safe loop", loops.linkSafe.Median(), loops.linkSafe.Best());
}

// The ratios of a side, less another side where given, to each loop.
void PrintRatios(const Times& side, const Loops& loops, const Times* less = nullptr) {
  const double median = side.Median() - (less ? less->Median() : 0), best = side.Best() - (less ? less->Best() : 0);
  const struct {
    const char* name;
    const Times& loop;
  } rows[] = {{"to the DeleteFileW loop", loops.byName}, {"to the link-safe loop", loops.linkSafe}};
  for (const auto& row : rows) {
    std::printf("  ratio %-30s %8.2fx  %8.2fx   rounds' own: %.2fx\n", row.name, median / row.loop.Median(),
                best / row.loop.Best(), bench::MedianRatio(side, row.loop, less));
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Fail("usage: purge_bench.exe ROUNDS STOCK");
  const int rounds = std::max(1, std::atoi(argv[1]));
  bench::TreeStock trees(platform::win32::Wide(argv[2]));

  Times barePurge, recordedPurge;
  Loops bareLoops;
  if (!TimeBareCall(rounds, trees, &barePurge, &recordedPurge, &bareLoops)) return Fail("the bare call's runs failed");
  Times cleaning, empty;
  Loops windowLoops;
  {
    bench::CleanNowDriver corvane;
    std::string error;
    if (!corvane.Start(&error)) return Fail(error);
    if (!TimeThroughWindow(rounds, trees, corvane, &cleaning, &empty, &windowLoops)) {
      return Fail("the runs through the window failed");
    }
  }

  std::printf("%d files in %d folders, %d rounds      median       best\n", bench::kFolders * bench::kFilesPerFolder,
              bench::kFolders, rounds);
  std::printf("the bare call\n");
  PrintRow("PurgeFolder", barePurge.Median(), barePurge.Best());
  PrintRow("recorded as a cleaning run records it", recordedPurge.Median(), recordedPurge.Best());
  PrintLoops(bareLoops);
  std::printf(" PurgeFolder\n");
  PrintRatios(barePurge, bareLoops);
  std::printf(" recorded\n");
  PrintRatios(recordedPurge, bareLoops);
  std::printf("through the window\n");
  PrintRow("\"Yes\" to the completion message", cleaning.Median(), cleaning.Best());
  PrintRow("the same, temporary folder empty", empty.Median(), empty.Best());
  PrintRow("the purge (the difference)", cleaning.Median() - empty.Median(), cleaning.Best() - empty.Best());
  PrintLoops(windowLoops);
  PrintRatios(cleaning, windowLoops, &empty);
  return 0;
}
