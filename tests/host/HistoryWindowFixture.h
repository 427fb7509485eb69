// The started program with its history cleaner window at hand, and the
// delivery of the workers' ends on the test's command.
#pragma once

#include <string>

#include "CorvaneFixture.h"
#include "forms/HistoryCleaner.h"

namespace hosttest {

class HistoryWindowFixture : public CorvaneFixture {
 protected:
  forms::THistoryCleanerPref& hc() { return *corvane().HistoryCleanerPref; }
  ui::CheckBox& box(int k) {
    ui::CheckBox* b = hc().CleanerBox(k);
    EXPECT_NE(b, nullptr) << "CoolCheckRadioBox" << k;
    return *b;
  }
  // Runs the posted work until every started worker has ended and been
  // reported; false if one did not end within a bounded real-time wait.
  bool DeliverEndsOfRuns() {
    while (hc().runningWorkers() > 0) {
      if (!ui.WaitForPosted(10000)) return false;
      ui.RunPosted();
    }
    ui.RunPosted();  // the release of the last one
    return true;
  }
  // A started program whose key holds every value, without messages so far.
  void StartQuietly() {
    ASSERT_TRUE(Start());
    ui.boxes.clear();
  }
  void ClickCleanNow(ui::MessageResult answer) {
    ui.answers.push_back(answer);
    hc().SpeedButton2->UserClick();
  }
};

}  // namespace hosttest
