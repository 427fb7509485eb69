// The history cleaner window: the cleaner switches on their tabs, "Clean
// Now", and what the end of a run says.
#pragma once

#include <functional>
#include <string>

#include "services/CleaningRun.h"
#include "services/Services.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace forms {

constexpr const char* kStartCleaningQuestion = "Start cleaning now?";
// Followed by the browsers (browsers::NameInBackground) and kCloseFirstQuestion.
constexpr const char* kBackgroundBrowsersQuestion =
    "These browsers run in the background with no window open, and are cleaned only once they have ended: ";
constexpr const char* kCloseFirstQuestion = ". Close them now and clean them too?";

class THistoryCleanerPref : public ui::Form {
 public:
  explicit THistoryCleanerPref(services::Services& app);
  ~THistoryCleanerPref() override;

  void FormShow();
  // Sets the boxes from the stored switches, writing any missing one as off.
  void LoadCleanerSwitches();
  bool SaveCleanerSwitch(const std::string& valueName, bool on);
  void SpeedButton2Click();  // "Clean Now"
  void SpeedButton3Click();  // "Cookies Manager"
  // The end of a run, whoever started it: a message to someone looking at
  // the window, or a balloon from the tray icon for a failure.
  void CleaningRunEnded(const services::RunEnd& end);

  // What it asks of the other windows; set by whoever made them. A failure
  // while hidden shows as a balloon from the tray icon.
  std::function<void()> OpenCookieManager;
  std::function<void()> OpenCommunityCleaners;
  std::function<void(const std::string&)> ShowBalloon;

  // Box k (from 1), looked up by its name; null when no check box has it.
  ui::CheckBox* CleanerBox(int k) const;
  // Shows the browsers found with their profiles, each browser's box set
  // from its switch (on unless cleared); a browser not found has none.
  void ShowBrowsersFound();
  // The box of row `row` of the browser table.
  ui::CheckBox* BrowserBox(size_t row) const;
  ui::Control* BrowsersFound;     // the heading of the browsers' boxes
  ui::CheckBox* CleanOnCloseBox;  // "Clean a browser when it closes"

  ui::PageControl* PageControl1;
  ui::Control* TabSheet1;
  ui::Control* TabSheet2;
  ui::Control* TabSheet3;
  ui::Control* TabSheet4;         // the browsers of today
  ui::Control* TabSheet5;         // what Windows 10 and 11 keep
  ui::Control* SpeedButton2;      // "Clean Now"
  ui::Control* SpeedButton3;      // "Cookies Manager"
  ui::Control* MoreApplications;  // "More applications...": the community's cleaners

 private:
  ui::Control* AddPage(const char* name, const char* caption, int index, const char* description);
  void AddCleanerBox(ui::Control& panel, size_t index);
  void ReportOutcome(bool success, const std::string& text);

  services::Services& app_;
  // The failure last shown in a balloon; a success clears it.
  std::string lastBalloon_;
};

}  // namespace forms
