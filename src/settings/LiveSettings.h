// What several windows show and the program acts on, kept in one place: the
// auto cleaner's switch (the main window's box, the tray's mark, the
// schedule), the pop-up switches (the tray's marks, the blocker window's
// boxes, the announcement), the notification sound (the blocker window, the
// announcement) and the hotkey's three switches (the tray's mark, the hotkey
// window's boxes, the press and its registration). Each holds the value last stored in or read from the
// settings key; whoever shows one or acts on it watches it instead of keeping
// a copy, so a change made anywhere is seen everywhere at once.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "util/Watched.h"

namespace ui {
class CheckBox;
}

namespace settings {

class SettingsAccessor;
class SettingsKey;
struct Setting;

using util::Watched;

struct LiveSettings {
  Watched<bool> autoCleaner;          // AutoCleaner
  Watched<bool> popupBlocking;        // CRVNPBStatus
  Watched<bool> soundNotification;    // SoundNotification
  Watched<bool> animTrayIcon;         // AnimTrayIcon
  Watched<int32_t> soundIndex;        // SoundIndex
  Watched<bool> hotkeyEnabled;        // WindowsHotKeyS
  Watched<bool> hideIEWindows;        // IEWHotKey
  Watched<bool> toggleMute;           // WinVolControl
  Watched<bool> hideAllBrowsers;      // HotkeyAllBrowsers
  Watched<bool> cleanOnBrowserClose;  // CleanOnBrowserClose: the tray's mark, the history window's box, the watch
  // WindowsHotKeyS on and its combination held with the system, which another
  // program may have taken first: what the tray's mark and the hotkey window show.
  Watched<bool> hotkeyInForce;
};

// `shown` (a check box or a menu entry) shows the switch from now on.
template <typename Shown>
void ShowIn(Watched<bool>& live, Shown& shown) {
  live.Watch([&shown](bool on) { shown.SetChecked(on); });
}

// A window's loading of one switch: read from the key (a missing one is
// written false) into `live`, and shown in `box` whatever it showed before.
void LoadSwitch(SettingsKey& key, const Setting& setting, Watched<bool>& live, ui::CheckBox& box);
// A switch the user changed: stored, then made live. When it cannot be
// stored, the apply-settings message is shown and `live` keeps its value:
// what the program does is always what is stored. False then.
bool StoreSwitch(SettingsAccessor& settings, const Setting& setting, Watched<bool>& live, bool on);

}  // namespace settings
