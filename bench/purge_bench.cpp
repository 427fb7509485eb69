// Times the purge of 20,400 empty files in 400 folders three ways against a
// minimal delete loop on an identical tree in the same prefix: the bare
// PurgeFolder call on the Win32 layer, the same recorded as a cleaning run
// records every change, and the whole cleaning of the temporary folder
// through the real program's window, from "Yes" to the completion message,
// less the time of the same cleaning on an empty temporary folder. The sides
// take turns, and each is run ROUNDS times; the medians and the best runs
// are printed. Run by purge_bench.sh, which builds the trees in STOCK.
// Usage: purge_bench.exe ROUNDS STOCK
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "CleanNowDriver.h"
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

// PurgeFolder on the Win32 layer, PurgeFolder on it recorded as a cleaning
// run records it, and the loop, each on a tree of its own in a folder of the
// temporary folder.
bool TimeBareCall(int rounds, bench::TreeStock& trees, Times* purge, Times* recorded, Times* loop) {
  const std::wstring folder = bench::TempFolder() + L"\\purge-bench";
  if (!CreateDirectoryW(folder.c_str(), nullptr)) return false;
  platform::win32::Win32Platform real;
  const std::string target = platform::win32::Utf8(folder);
  for (int round = 0; round < kWarmUpRounds + rounds; ++round) {
    for (int turn = 0; turn < 3; ++turn) {
      const int side = (round + turn) % 3;
      if (!trees.PlaceNext(folder)) return false;
      const double start = bench::Now();
      if (side == 0) {
        cleaner::PurgeFolder(real.files, target, cleaner::PurgeOptions{true, false});
      } else if (side == 1) {
        platform::recording::Recorder recorder(real.platform, platform::recording::Mode::PassThrough);
        cleaner::PurgeFolder(recorder.platform().files, target, cleaner::PurgeOptions{true, false});
      } else {
        bench::MinimalDelete(folder);
      }
      const double seconds = bench::Now() - start;
      if (round >= kWarmUpRounds) (side == 0 ? purge : side == 1 ? recorded : loop)->runs.push_back(seconds);
      if (!bench::IsEmptyFolder(folder)) return false;
    }
  }
  return RemoveDirectoryW(folder.c_str());
}

// The cleaning through the window on a tree in the temporary folder and on
// the empty folder, and the loop on a tree in the same place.
bool TimeThroughWindow(int rounds, bench::TreeStock& trees, bench::CleanNowDriver& corvane, Times* cleaning,
                       Times* empty, Times* loop) {
  const std::wstring temp = bench::TempFolder();
  for (int round = 0; round < kWarmUpRounds + rounds; ++round) {
    for (int turn = 0; turn < 3; ++turn) {
      const int side = (round + turn) % 3;
      if (side != 1 && !trees.PlaceNext(temp)) return false;
      double seconds;
      if (side == 0 || side == 1) {
        seconds = corvane.TimeOneCleaning();
        if (seconds < 0) return false;
      } else {
        const double start = bench::Now();
        bench::MinimalDelete(temp);
        seconds = bench::Now() - start;
      }
      if (round >= kWarmUpRounds) (side == 0 ? cleaning : side == 1 ? empty : loop)->runs.push_back(seconds);
      if (!bench::IsEmptyFolder(temp)) return false;
    }
  }
  return true;
}

void PrintRow(const char* what, double median, double best) {
  std::printf("  %-36s %8.3f s %8.3f s\n", what, median, best);
}

void PrintRatios(double median, double best, double rounds) {
  std::printf("  %-36s %8.2fx  %8.2fx\n", "ratio to the minimal loop", median, best);
  std::printf("  %-36s %8.2fx\n", "median of the rounds' own ratios", rounds);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return Fail("usage: purge_bench.exe ROUNDS STOCK");
  const int rounds = std::max(1, std::atoi(argv[1]));
  bench::TreeStock trees(platform::win32::Wide(argv[2]));

  Times barePurge, recordedPurge, bareLoop;
  if (!TimeBareCall(rounds, trees, &barePurge, &recordedPurge, &bareLoop)) return Fail("the bare call's runs failed");
  Times cleaning, empty, windowLoop;
  {
    bench::CleanNowDriver corvane;
    std::string error;
    if (!corvane.Start(&error)) return Fail(error);
    if (!TimeThroughWindow(rounds, trees, corvane, &cleaning, &empty, &windowLoop)) {
      return Fail("the runs through the window failed");
    }
  }

  std::printf("%d files in %d folders, %d rounds      median       best\n", bench::kFolders * bench::kFilesPerFolder,
              bench::kFolders, rounds);
  std::printf("the bare call\n");
  PrintRow("PurgeFolder", barePurge.Median(), barePurge.Best());
  PrintRow("minimal loop", bareLoop.Median(), bareLoop.Best());
  PrintRatios(barePurge.Median() / bareLoop.Median(), barePurge.Best() / bareLoop.Best(),
              bench::MedianRatio(barePurge, bareLoop));
  std::printf("the bare call, recorded as a cleaning run records it\n");
  PrintRow("PurgeFolder", recordedPurge.Median(), recordedPurge.Best());
  PrintRatios(recordedPurge.Median() / bareLoop.Median(), recordedPurge.Best() / bareLoop.Best(),
              bench::MedianRatio(recordedPurge, bareLoop));
  std::printf("through the window\n");
  PrintRow("\"Yes\" to the completion message", cleaning.Median(), cleaning.Best());
  PrintRow("the same, temporary folder empty", empty.Median(), empty.Best());
  const double median = cleaning.Median() - empty.Median(), best = cleaning.Best() - empty.Best();
  PrintRow("the purge (the difference)", median, best);
  PrintRow("minimal loop", windowLoop.Median(), windowLoop.Best());
  PrintRatios(median / windowLoop.Median(), best / windowLoop.Best(), bench::MedianRatio(cleaning, windowLoop, &empty));
  return 0;
}
