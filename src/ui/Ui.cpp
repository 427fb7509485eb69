// The report of an exception that escaped an event handler.
#include "ui/Ui.h"

namespace ui {

void Ui::ReportEscapedError(const char* what) noexcept {
  // A handler that fails again while the box is open (a repaint behind it,
  // say) is not reported once more.
  if (reportingError_) return;
  reportingError_ = true;
  try {
    ShowMessage(what && *what ? what : "An unexpected error has occurred", errorCaption_, MessageKind::Error);
  } catch (...) {
    // Nothing more can be told; the program goes on.
  }
  reportingError_ = false;
}

}  // namespace ui
