// The program's icon in the notification area: added and removed, blinked
// when a pop-up window was blocked, and an error balloon from it.
#pragma once

#include <cstdint>
#include <string>

#include "platform/Clock.h"
#include "platform/Desktop.h"
#include "ui/Form.h"

namespace services {

// The icon's identity and the message its mouse events come back as.
constexpr uint32_t kTrayIconId = 1005;
constexpr uint32_t WM_TRAYICON = 2025;

class TrayIcon {
 public:
  // The icon belongs to `owner`'s window, which must outlive it.
  TrayIcon(platform::Desktop& desktop, platform::Clock& clock, const ui::Form& owner)
      : desktop_(desktop), clock_(clock), owner_(owner) {}

  void Add();
  void Delete();
  // Four blinks, each picture held 300 ms: blocks for 2400 ms and always
  // ends on the normal icon.
  void Animate();
  // An error balloon titled `title`.
  void ShowErrorBalloon(const std::string& title, const std::string& text);

 private:
  platform::NotifyIconRecord Record(uint32_t size, uint32_t flags) const;
  // The record that shows `icon` with the tip and the callback message.
  platform::NotifyIconRecord Showing(const char* icon) const;

  platform::Desktop& desktop_;
  platform::Clock& clock_;
  const ui::Form& owner_;
};

}  // namespace services
