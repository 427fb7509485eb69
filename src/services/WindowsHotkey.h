// The Windows hotkey: held with the system exactly while it is switched on,
// and a press that hides or shows every Internet Explorer frame window (and,
// unless switched off, the windows of the browsers of the browser table) and
// flips the mute switch of the speakers' wave output, each as its live switch
// says. When the hotkey can no longer bring back the windows it hid (switched
// off, its window step switched off, the program ending), they come back.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/Platform.h"
#include "settings/LiveSettings.h"
#include "settings/SettingsAccessor.h"
#include "ui/Form.h"

namespace services {

// Whether `window` belongs to one of the browsers of the browser table, by
// the program file of its process: a window class says too little, since
// Chromium's is shared by many other programs.
bool IsBrowserWindow(platform::Desktop& desktop, platform::WindowId window);

class WindowsHotkey {
 public:
  // The hotkey belongs to `owner`'s window, which must outlive it. It follows
  // `live` from now on.
  WindowsHotkey(platform::Platform& platform, settings::SettingsAccessor& settings, settings::LiveSettings& live,
                const ui::Form& owner);

  // Combination 0 is ALT + F1 (identifier 1), 1 is CTRL + F12 (identifier 2),
  // each releasing the other first; any other value changes nothing.
  void Register(int16_t combination);
  // The stored combination; a missing one means CTRL + F12 (and is not
  // written), one that cannot be read registers nothing.
  void RegisterStored();
  void UnregisterBoth();
  // WM_HOTKEY: true when the identifier is one of ours; the press is then
  // consumed, whether or not the hotkey is on.
  bool HandlePress(uintptr_t hotkeyId);

  // IEStatus: true when the next press hides the windows.
  bool ReadToggleState();
  void WriteToggleState(bool hideNext);
  void ShowBrowserWindows();
  void HideBrowserWindows();
  // Shows again the windows the last pass hid, and stores the toggle state
  // then on screen; nothing when the hotkey hid none.
  void ShowHiddenBrowserWindows();

 private:
  platform::Platform& platform_;
  settings::SettingsAccessor& settings_;
  settings::LiveSettings& live_;
  const ui::Form& owner_;
  bool browserWindowsHidden_ = false;
  // The other browsers' windows the hotkey hid, to show again: only those,
  // since a browser keeps hidden windows of its own that must stay so.
  std::vector<platform::WindowId> hiddenOtherBrowsers_;
};

}  // namespace services
