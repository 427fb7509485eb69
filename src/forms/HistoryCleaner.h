// The history cleaner window: the 26 cleaner switches on three tabs, and the
// one operation that starts a cleaning run.
#pragma once

#include <array>
#include <memory>
#include <string>
#include <vector>

#include "app/Corvane.h"
#include "cleaner/CleanerThread.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace forms {

constexpr const char* kStartCleaningQuestion = "Start cleaning now?";
constexpr const char* kCleaningDoneMessage = "All selected history tracks cleaned successfully";
// Followed by what stopped the run.
constexpr const char* kCleaningStoppedMessage = "The history cleaning stopped before all selected tracks were cleaned: ";

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
  // Starts a cleaning with the switches stored in the settings key.
  void StartHistoryCleaner();
  void CleanerThreadTerminate(cleaner::TUWHCleanerThrd& sender);

  // Box k (1 to 26), looked up by its name; null when no check box has it.
  ui::CheckBox* CleanerBox(int k) const;
  // Workers started and not yet ended.
  size_t runningWorkers() const { return running_.size(); }

  ui::PageControl* PageControl1;
  ui::Control* TabSheet1;
  ui::Control* TabSheet2;
  ui::Control* TabSheet3;
  ui::Control* SpeedButton2;  // "Clean Now"
  ui::Control* SpeedButton3;  // "Cookies Manager"

  std::array<bool, 26> CleanerSwitches{};
  // The last worker started; null once it has ended.
  cleaner::TUWHCleanerThrd* CleanerThread = nullptr;

 private:
  ui::Control* AddPage(const char* name, const char* caption, int index, const char* description);
  void AddCleanerBox(ui::Control& page, int k, bool right, int row, const char* caption);
  void ReadCleanerSwitches();
  void CopySwitchesTo(cleaner::TUWHCleanerThrd& worker) const;
  void ReleaseWorker(cleaner::TUWHCleanerThrd& worker);

  app::Corvane& app_;
  // Every worker this window started that has not ended; several can run at
  // once when the schedule fires during a run.
  std::vector<std::unique_ptr<cleaner::TUWHCleanerThrd>> running_;
};

}  // namespace forms
