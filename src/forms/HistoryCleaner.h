// The history cleaner window: the cleaner switches on three tabs, and the
// one operation that starts a cleaning run.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "app/CleanerSwitches.h"
#include "app/Corvane.h"
#include "app/RecordedRun.h"
#include "cleaner/CleanerThread.h"
#include "cleaner/CleaningRunGuard.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace forms {

constexpr const char* kStartCleaningQuestion = "Start cleaning now?";
constexpr const char* kCleaningDoneMessage = "All selected history tracks cleaned successfully";
// Followed by what stopped the run.
constexpr const char* kCleaningStoppedMessage = "The history cleaning stopped before all selected tracks were cleaned: ";
// Followed by why it could not begin.
constexpr const char* kCleaningNotStartedMessage = "The history cleaning could not be started: ";
constexpr const char* kAnotherCleaningMessage =
    "Another history cleaning is in progress. Try again when it has finished.";
// Why a cleaning could not begin when the run guard could not be made.
constexpr const char* kNoRunGuardReason = "Windows could not make the lock that keeps two cleanings apart.";

// How long Exit waits for a run it asked to stop, and how much longer for a
// run inside a step that must not be cut in two (under the 5 s an
// uninstaller gives the program).
constexpr uint32_t kExitWaitMs = 1000;
constexpr uint32_t kIndivisibleStepWaitMs = 3000;

class THistoryCleanerPref : public ui::Form {
 public:
  explicit THistoryCleanerPref(app::Corvane& app);
  ~THistoryCleanerPref() override;

  void FormShow();
  // Sets the boxes from the stored switches, writing any missing one as off.
  void LoadCleanerSwitches();
  void SaveCleanerSwitch(const std::string& valueName, bool on);
  void SpeedButton2Click();  // "Clean Now"
  void SpeedButton3Click();  // "Cookies Manager"
  // Starts a cleaning with the switches stored in the settings key, unless
  // one is going already (in this program or another) or the switches
  // cannot all be read.
  void StartHistoryCleaner();
  void CleanerThreadTerminate(cleaner::TUWHCleanerThrd& sender);
  // Asks a running cleaning to stop and waits for its end, handling
  // messages meanwhile, for kExitWaitMs (and kIndivisibleStepWaitMs more
  // while it is inside a step that must not be cut). From then on no run
  // starts and the end of a run is not reported.
  void EndRunsForExit();

  // Box k (from 1), looked up by its name; null when no check box has it.
  ui::CheckBox* CleanerBox(int k) const;
  // A run was started and its end has not been handled yet.
  bool cleaning() const { return worker_ != nullptr; }

  ui::PageControl* PageControl1;
  ui::Control* TabSheet1;
  ui::Control* TabSheet2;
  ui::Control* TabSheet3;
  ui::Control* SpeedButton2;  // "Clean Now"
  ui::Control* SpeedButton3;  // "Cookies Manager"

  app::CleanerSelection CleanerSwitches{};
  // The running worker; null when none.
  cleaner::TUWHCleanerThrd* CleanerThread = nullptr;

 private:
  ui::Control* AddPage(const char* name, const char* caption, int index, const char* description);
  void AddCleanerBox(ui::Control& panel, size_t index);
  void ReleaseWorker();
  void ReportOutcome(bool success, const std::string& text);

  app::Corvane& app_;
  // What the last run did, noted as it went for its report; outlives its worker.
  std::unique_ptr<app::RecordedRun> recording_;
  std::unique_ptr<cleaner::TUWHCleanerThrd> worker_;
  // Held from the start of a run until its end has been handled.
  std::optional<cleaner::CleaningRunGuard> runGuard_;
  bool exiting_ = false;
  // The failure last shown in a balloon; a success clears it.
  std::string lastBalloon_;
};

}  // namespace forms
