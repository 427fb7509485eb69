// The tray icon.
#include "services/TrayIcon.h"

#include "resources/ResourceNames.h"

namespace services {

using platform::NotifyIconOp;
using platform::NotifyIconRecord;

namespace {
constexpr uint32_t kNotifyFlags = platform::kNotifyIconMessage | platform::kNotifyIconIcon | platform::kNotifyIconTip;
constexpr const char* kTip = "Corvane";
}  // namespace

TrayIcon::TrayIcon(platform::Desktop& desktop, platform::Clock& clock, ui::Form& owner)
    : desktop_(desktop), clock_(clock), owner_(owner), retry_(owner, kTrayAddRetryMs) {
  retry_.OnTimer = [this] { TryAdd(); };
}

NotifyIconRecord TrayIcon::Record(uint32_t size, uint32_t flags) const {
  return {size, owner_.handle(), kTrayIconId, flags, 0, {}, {}};
}

NotifyIconRecord TrayIcon::Showing(const char* icon) const {
  NotifyIconRecord record = Record(platform::kNotifyIconV1Size, kNotifyFlags);
  record.callbackMessage = WM_TRAYICON;
  record.iconResource = icon;
  record.tip = kTip;
  return record;
}

void TrayIcon::Add() {
  retriesLeft_ = kTrayAddRetries;
  TryAdd();
}

// An add the shell timed out on may have been done all the same: an icon
// that is there takes the modification instead.
void TrayIcon::TryAdd() {
  const NotifyIconRecord shown = Showing(resources::kTrayIcon);
  const bool there = desktop_.NotifyIcon(NotifyIconOp::Add, shown) || desktop_.NotifyIcon(NotifyIconOp::Modify, shown);
  retry_.SetEnabled(!there && retriesLeft_-- > 0);
}

void TrayIcon::Delete() {
  retry_.SetEnabled(false);
  desktop_.NotifyIcon(NotifyIconOp::Delete, Record(platform::kNotifyIconV1Size, 0));
}

void TrayIcon::Animate() {
  for (int i = 0; i < 4; ++i) {
    for (const char* icon : {resources::kTrayAnim, resources::kTrayIcon}) {
      desktop_.NotifyIcon(NotifyIconOp::Modify, Showing(icon));
      clock_.Sleep(300);
    }
  }
}

void TrayIcon::ShowErrorBalloon(const std::string& title, const std::string& text) {
  // The icon was added with the V1 record, which carries no balloon; only
  // this modification uses the larger one.
  NotifyIconRecord record = Record(platform::kNotifyIconBalloonSize, platform::kNotifyIconInfo);
  record.infoTitle = title;
  record.info = text;
  record.infoFlags = platform::kBalloonError;
  desktop_.NotifyIcon(NotifyIconOp::Modify, record);
}

}  // namespace services
