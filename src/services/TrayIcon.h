// The program's icon in the notification area: added (again and again while
// the shell is not ready for it) and removed, blinked when a pop-up window was
// blocked, and an error balloon from it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "ui/Controls.h"
#include "ui/Form.h"

namespace services {

// The icon's identity and the message its mouse events come back as.
constexpr uint32_t kTrayIconId = 1005;
constexpr uint32_t WM_TRAYICON = 2025;
// While Explorer starts at sign-in, the shell refuses new icons: an add is
// tried again this often, for five minutes.
constexpr uint32_t kTrayAddRetryMs = 2000;
constexpr int kTrayAddRetries = 150;

class TrayIcon {
 public:
  // The icon belongs to `owner`'s window, which must outlive it.
  TrayIcon(platform::Desktop& desktop, platform::Clock& clock, ui::Form& owner);

  // Puts the icon in the tray; while the shell refuses, tries again on a
  // timer (see kTrayAddRetryMs).
  void Add();
  void Delete();
  // Four blinks, each picture held 300 ms: blocks for 2400 ms and always
  // ends on the normal icon.
  void Animate();
  // An error balloon titled `title`.
  void ShowErrorBalloon(const std::string& title, const std::string& text);

 private:
  void TryAdd();
  platform::NotifyIconRecord Record(uint32_t size, uint32_t flags) const;
  // The record that shows `icon` with the tip and the callback message.
  platform::NotifyIconRecord Showing(const char* icon) const;

  platform::Desktop& desktop_;
  platform::Clock& clock_;
  const ui::Form& owner_;
  ui::Timer retry_;
  int retriesLeft_ = 0;
};

}  // namespace services
