// The cleaner thread: its switches, the order of its steps, an early stop and
// the termination delivered on the user-interface thread.
#include <thread>

#include "CleanerFixture.h"

namespace hosttest {
namespace {

using cleaner::TUWHCleanerThrd;

// Every switch with its step number in the order of execution.
struct SwitchStep {
  bool TUWHCleanerThrd::*flag;
  int step;
};
const SwitchStep kSwitches[] = {
    {&TUWHCleanerThrd::RunBrowserCacheCleaner, 1},     {&TUWHCleanerThrd::RunCookiesCleaner, 2},
    {&TUWHCleanerThrd::RunTypedURLCleaner, 3},         {&TUWHCleanerThrd::RunAutoCompleteForms, 5},
    {&TUWHCleanerThrd::RunAutoCompletePasswords, 6},   {&TUWHCleanerThrd::RunIEFavorites, 7},
    {&TUWHCleanerThrd::RunRASAutoDial, 8},             {&TUWHCleanerThrd::RunWindowsTempFold, 14},
    {&TUWHCleanerThrd::RunRecycleBinCleaner, 15},      {&TUWHCleanerThrd::RunWindowsRunHistory, 13},
    {&TUWHCleanerThrd::RunRecentDocumentsHistory, 16}, {&TUWHCleanerThrd::RunLastLogonHistory, 17},
    {&TUWHCleanerThrd::RunFindFilesHistory, 9},        {&TUWHCleanerThrd::RunFindComputerHistory, 10},
    {&TUWHCleanerThrd::RunNetworkHistory, 11},         {&TUWHCleanerThrd::RunTelenetHistory, 12},
    {&TUWHCleanerThrd::RunBrowserHistory, 4},          {&TUWHCleanerThrd::RunMSMediaPlayerCleaner, 18},
    {&TUWHCleanerThrd::RunACDSeeCleaner, 19},          {&TUWHCleanerThrd::RunAcrobatReaderCleaner, 20},
    {&TUWHCleanerThrd::RunMSWordCleaner, 21},          {&TUWHCleanerThrd::RunInfranViewCleaner, 22},
    {&TUWHCleanerThrd::RunMSImagingCleaner, 23},       {&TUWHCleanerThrd::RunMSPaintCleaner, 24},
    {&TUWHCleanerThrd::RunWinRarCleaner, 25},          {&TUWHCleanerThrd::RunRealOneCleaner, 26},
    {&TUWHCleanerThrd::RunPowerDVDCleaner, 27},
};

class CleanerThreadTest : public CleanerFixture {
 protected:
  // Traces that steps 13, 14, 15 and 16 would remove.
  void PlantTraces() {
    MakeKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU");
    MakeKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs");
    sim.files.AddFile("C:\\users\\user\\Temp\\a.tmp");
    sim.files.AddFile("C:\\users\\user\\AppData\\Roaming\\Microsoft\\Windows\\Recent\\doc.lnk");
    sim.shell.recycled = {"old.txt"};
  }
  // Starts the thread and runs its termination here, as the message loop would.
  void StartAndDeliver() {
    thread->Start();
    ASSERT_TRUE(ui.WaitForPosted(10000)) << "the run never ended";
    EXPECT_EQ(ui.RunPosted(), 1);
  }
  int terminations = 0;
  std::thread::id terminatedOn;
};

TEST_F(CleanerThreadTest, WithEverySwitchFalseNothingIsTouchedAndTheEndIsStillReported) {
  PlantTraces();
  for (const SwitchStep& s : kSwitches) EXPECT_FALSE(thread.get()->*s.flag) << "a new thread starts with all off";
  thread->OnTerminate = [this](TUWHCleanerThrd& sender) {
    EXPECT_EQ(&sender, thread.get());
    ++terminations;
    terminatedOn = std::this_thread::get_id();
  };
  StartAndDeliver();
  EXPECT_EQ(terminations, 1);
  EXPECT_EQ(terminatedOn, std::this_thread::get_id()) << "delivered on the thread that runs the posted work";
  EXPECT_TRUE(thread->finished());
  EXPECT_TRUE(thread->stepsRun().empty());
  EXPECT_TRUE(HasKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU"));
  EXPECT_TRUE(HasKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs"));
  EXPECT_EQ(List("C:\\users\\user\\Temp"), Names{"a.tmp"});
  EXPECT_TRUE(sim.shell.recycleBinCalls.empty());
  thread->Start();  // a second start of the same object is ignored
  thread.reset();   // waits for any run it might have begun
  EXPECT_EQ(ui.RunPosted(), 0);
}

TEST_F(CleanerThreadTest, EachSwitchRunsItsOwnStepAndAllRunInTheOrderOfExecution) {
  for (const SwitchStep& s : kSwitches) {
    TUWHCleanerThrd one(sim.platform, ui);
    one.*s.flag = true;
    one.Execute();
    EXPECT_EQ(one.stepsRun(), std::vector<int>{s.step});
  }
  for (const SwitchStep& s : kSwitches) thread.get()->*s.flag = true;
  Run();
  std::vector<int> all;
  for (int n = 1; n <= 27; ++n) all.push_back(n);
  EXPECT_EQ(thread->stepsRun(), all);
  EXPECT_TRUE(thread->finished());
}

TEST_F(CleanerThreadTest, TheAutoCompletePairRunsFormsThenPasswordsBetweenHistoryAndFavorites) {
  thread->RunIEFavorites = true;
  thread->RunAutoCompletePasswords = true;
  thread->RunAutoCompleteForms = true;
  thread->RunBrowserHistory = true;
  Run();
  EXPECT_EQ(thread->stepsRun(), (std::vector<int>{4, 5, 6, 7}));
}

TEST_F(CleanerThreadTest, AnExceptionEndsTheRunAtItsStepAndTheEndIsStillReported) {
  PlantTraces();
  thread->RunWindowsRunHistory = true;       // 13
  thread->RunWindowsTempFold = true;         // 14: its folder lookup raises
  thread->RunRecycleBinCleaner = true;       // 15
  thread->RunRecentDocumentsHistory = true;  // 16
  sim.shell.throwOnNextCall = "out of memory";
  thread->OnTerminate = [this](TUWHCleanerThrd&) { ++terminations; };
  StartAndDeliver();
  EXPECT_EQ(terminations, 1);
  EXPECT_FALSE(thread->finished());
  EXPECT_EQ(thread->failure(), "out of memory");
  EXPECT_EQ(thread->stepsRun(), (std::vector<int>{13, 14}));
  EXPECT_FALSE(HasKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RunMRU")) << "step 13 ran";
  EXPECT_EQ(List("C:\\users\\user\\Temp"), Names{"a.tmp"});
  EXPECT_TRUE(sim.shell.recycleBinCalls.empty()) << "step 15 never ran";
  EXPECT_TRUE(HasKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs")) << "nor step 16";

  // The next run of a new object is not affected.
  TUWHCleanerThrd next(sim.platform, ui);
  next.RunRecentDocumentsHistory = true;
  next.Execute();
  EXPECT_TRUE(next.finished());
  EXPECT_TRUE(next.failure().empty());
  EXPECT_FALSE(HasKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs"));
}

TEST_F(CleanerThreadTest, AStopEndsAPurgeBeforeItsNextDeletionAndTheRunBeforeItsNextStep) {
  PlantTraces();
  sim.files.AddFile("C:\\users\\user\\Temp\\b.tmp");
  thread->RunWindowsTempFold = true;         // 14: held in its first deletion
  thread->RunRecycleBinCleaner = true;       // 15
  thread->RunRecentDocumentsHistory = true;  // 16
  sim.files.gate.HoldAt("RemoveFile");
  thread->OnTerminate = [this](TUWHCleanerThrd&) { ++terminations; };
  thread->Start();
  ASSERT_TRUE(sim.files.gate.WaitUntilHeld(10000));
  thread->RequestStop();
  sim.files.gate.Release();
  ASSERT_TRUE(ui.WaitForPosted(10000));
  EXPECT_EQ(ui.RunPosted(), 1);
  EXPECT_EQ(terminations, 1) << "a stopped run still reports its end";
  EXPECT_FALSE(thread->finished());
  EXPECT_EQ(thread->failure(), cleaner::kStoppedOnRequest);
  EXPECT_EQ(thread->stepsRun(), std::vector<int>{14});
  EXPECT_EQ(List("C:\\users\\user\\Temp").size(), 1u) << "the held deletion ended, the next one never began";
  EXPECT_TRUE(sim.shell.recycleBinCalls.empty());
  EXPECT_TRUE(HasKey("Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\RecentDocs"));

  // Asked before it starts, a run does nothing at all.
  TUWHCleanerThrd early(sim.platform, ui);
  early.RunRecycleBinCleaner = true;
  early.RequestStop();
  early.Execute();
  EXPECT_TRUE(early.stepsRun().empty());
  EXPECT_FALSE(early.finished());
}

TEST_F(CleanerThreadTest, TheTerminationHandlerMayReleaseTheThreadObject) {
  bool finished = false;
  bool afterRelease = false;
  thread->RunRecycleBinCleaner = true;
  thread->OnTerminate = [this, &finished, &afterRelease](TUWHCleanerThrd& sender) {
    finished = sender.finished();
    thread.reset();  // the starter lets go of the run it no longer needs
    afterRelease = true;  // the handler's own state is still there
  };
  thread->Start();
  ASSERT_TRUE(ui.WaitForPosted(10000));
  EXPECT_EQ(ui.RunPosted(), 1);
  EXPECT_TRUE(finished);
  EXPECT_TRUE(afterRelease);
  EXPECT_EQ(thread, nullptr);
  EXPECT_EQ(sim.shell.recycleBinCalls.size(), 1u);
}

TEST_F(CleanerThreadTest, ATerminationQueuedForAnObjectAlreadyFreedIsDropped) {
  thread->OnTerminate = [this](TUWHCleanerThrd&) { ++terminations; };
  thread->Start();
  ASSERT_TRUE(ui.WaitForPosted(10000));
  thread.reset();
  EXPECT_EQ(ui.RunPosted(), 1);
  EXPECT_EQ(terminations, 0);
}

}  // namespace
}  // namespace hosttest
