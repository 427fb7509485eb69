// The history cleaner window.
#include "forms/HistoryCleaner.h"

namespace forms {

THistoryCleanerPref::THistoryCleanerPref(app::Corvane& app)
    : Form(app.ui, "THistoryCleanerPref", "History Cleaner", 624, 328), app_(app) {
  PageControl1 = Add<ui::PageControl>("PageControl1", ui::Rect{0, 0, 624, 293});
  PageControl1->Add<ui::Control>(ui::Kind::TabSheet, "TabSheet1", ui::Rect{0, 0, 624, 293}, "Internet Explorer");
  PageControl1->Add<ui::Control>(ui::Kind::TabSheet, "TabSheet2", ui::Rect{0, 0, 624, 293}, "Windows");
  PageControl1->Add<ui::Control>(ui::Kind::TabSheet, "TabSheet3", ui::Rect{0, 0, 624, 293}, "Applications");
  PageControl1->SetActivePageIndex(0);
  app_.ui.Realize(*this);
}

void THistoryCleanerPref::StartHistoryCleaner() {
  // The cleaner engine is not connected yet.
}

}  // namespace forms
