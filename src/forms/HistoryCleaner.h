// The history cleaner window: the 26 cleaner switches on three tabs, and the
// one operation that starts a cleaning run.
#pragma once

#include "app/Corvane.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace forms {

class THistoryCleanerPref : public ui::Form {
 public:
  explicit THistoryCleanerPref(app::Corvane& app);

  // Starts a cleaning with the switches stored in the settings key.
  void StartHistoryCleaner();

  ui::PageControl* PageControl1;

 private:
  app::Corvane& app_;
};

}  // namespace forms
