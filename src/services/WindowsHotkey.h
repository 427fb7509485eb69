// The Windows hotkey: held with the system exactly while it is switched on,
// and a press that hides or shows every Internet Explorer frame window (and,
// unless switched off, the windows of the browsers of the browser table) and
// flips the machine's master mute, each as its live switch says. When the
// hotkey can no longer bring back the windows it hid (switched off, its
// window step switched off, the program ending), they come back.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Platform.h"
#include "settings/LiveSettings.h"
#include "settings/SettingsAccessor.h"
#include "ui/Form.h"

namespace services {

constexpr const char* kNoAudioDeviceMessage =
    "Windows has no sound output device, so the Windows hotkey has no sound to mute.";

// The captions of the combinations 0 and 1.
constexpr const char* kCombinationCaptions[] = {"ALT + F1", "CTRL + F12"};
// Another program holds `combination` (0 or 1): the question that offers the
// other one, and what is said when that one is held too.
std::string HotkeyTakenQuestion(int16_t combination);
std::string HotkeysBothTakenMessage(int16_t combination);

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
  // each releasing the other first; any other value changes nothing. The
  // live hotkeyInForce says whether the system now holds it for a hotkey
  // switched on; a combination another program holds is told to HotkeyTaken.
  void Register(int16_t combination);
  // The stored combination; a missing one means CTRL + F12 (and is not
  // written), one that cannot be read registers nothing.
  void RegisterStored();
  void UnregisterBoth();
  // The combination another program took first; the hotkey is off meanwhile
  // and its stored switch stays as it is.
  std::function<void(int16_t combination)> HotkeyTaken;
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
  // The master mute of the default playback device: false too when there
  // is none or it cannot be read; setting it does nothing then.
  bool IsMuted();
  void SetMute(bool mute);

  // Says that the machine has no playback device to mute; called once, at
  // the first press that finds none.
  std::function<void()> TellNoAudioDevice;

 private:
  void ToggleMute();

  platform::Platform& platform_;
  settings::SettingsAccessor& settings_;
  settings::LiveSettings& live_;
  const ui::Form& owner_;
  bool browserWindowsHidden_ = false;
  bool toldNoAudioDevice_ = false;
  // The other browsers' windows the hotkey hid, to show again: only those,
  // since a browser keeps hidden windows of its own that must stay so.
  std::vector<platform::WindowId> hiddenOtherBrowsers_;
};

}  // namespace services
