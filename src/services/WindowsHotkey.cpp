// The Windows hotkey.
#include "services/WindowsHotkey.h"

#include "browsers/BrowserItems.h"
#include "settings/Settings.h"

namespace services {

using platform::Desktop;
using platform::WindowId;

namespace {

// GetClassNameA into 16 bytes: a longer class name is cut to 15 characters,
// which still never equals the whole name "IEFrame".
constexpr int kClassBufferSize = 16;
constexpr const char* kBrowserFrameClass = "IEFrame";

// A window hidden here stays one the user has open: a browser whose windows
// are all hidden is not taken for one running in the background. Marked
// before it hides and unmarked once it shows, so no look in between misses it.
void HideForUser(Desktop& desktop, WindowId window) {
  desktop.MarkHiddenForUser(window, true);
  desktop.ShowWindow(window, platform::kSwHide);
}

void ShowAgain(Desktop& desktop, WindowId window) {
  desktop.ShowWindow(window, platform::kSwShow);
  desktop.MarkHiddenForUser(window, false);
}

void ShowEveryBrowserFrame(Desktop& desktop, bool show) {
  desktop.EnumTopLevelWindows([&desktop, show](WindowId window) {
    if (desktop.ClassNameOf(window, kClassBufferSize) == kBrowserFrameClass) {
      show ? ShowAgain(desktop, window) : HideForUser(desktop, window);
    }
    return true;
  });
}

// A stored combination outside the 16-bit range names no row, rather than
// wrapping round onto one.
int16_t AsCombination(int32_t stored) {
  return stored >= INT16_MIN && stored <= INT16_MAX ? static_cast<int16_t>(stored) : -1;
}

}  // namespace

std::string HotkeyTakenQuestion(int16_t combination) {
  return std::string(kCombinationCaptions[combination]) +
         " is used by another program, so the Windows hotkey is off. Use " + kCombinationCaptions[1 - combination] +
         " instead?";
}

std::string HotkeysBothTakenMessage(int16_t combination) {
  return std::string(kCombinationCaptions[combination]) +
         " is used by another program too, so the Windows hotkey is off. Close the program that uses " +
         kCombinationCaptions[combination] + " or " + kCombinationCaptions[1 - combination] +
         " and switch the hotkey on again.";
}

bool IsBrowserWindow(Desktop& desktop, WindowId window) {
  return browsers::BrowserOfProgram(desktop.ProgramFileOf(window)) < browsers::kBrowserCount;
}

WindowsHotkey::WindowsHotkey(platform::Platform& platform, settings::SettingsAccessor& settings,
                             settings::LiveSettings& live, const ui::Form& owner)
    : platform_(platform), settings_(settings), live_(live), owner_(owner) {
  // Held only while on, so that other programs have the keys while it is off.
  live_.hotkeyEnabled.Watch([this](bool on) {
    if (on) {
      RegisterStored();
    } else {
      UnregisterBoth();
      ShowHiddenBrowserWindows();
    }
  });
  live_.hideIEWindows.Watch([this](bool on) {
    if (!on) ShowHiddenBrowserWindows();
  });
}

void WindowsHotkey::Register(int16_t combination) {
  Desktop& desktop = platform_.desktop;
  long result = 0;
  if (combination == 0) {
    desktop.UnregisterHotKey(owner_.handle(), 2);
    result = desktop.RegisterHotKey(owner_.handle(), 1, platform::kModAlt, platform::kVkF1);
  } else if (combination == 1) {
    desktop.UnregisterHotKey(owner_.handle(), 1);
    result = desktop.RegisterHotKey(owner_.handle(), 2, platform::kModControl, platform::kVkF12);
  } else {
    return;
  }
  live_.hotkeyInForce.Set(result == platform::kErrorSuccess && live_.hotkeyEnabled.value());
  if (result == platform::kErrorHotkeyAlreadyRegistered && HotkeyTaken) HotkeyTaken(combination);
}

void WindowsHotkey::RegisterStored() {
  settings_.Read([this](settings::SettingsKey& key) {
    Register(AsCombination(key.IntegerOrFallback(settings::value::kHotkeyCombination)));
  });
}

void WindowsHotkey::UnregisterBoth() {
  platform_.desktop.UnregisterHotKey(owner_.handle(), 1);
  platform_.desktop.UnregisterHotKey(owner_.handle(), 2);
  live_.hotkeyInForce.Set(false);
}

bool WindowsHotkey::HandlePress(uintptr_t hotkeyId) {
  if (hotkeyId != 1 && hotkeyId != 2) return false;
  if (!live_.hotkeyEnabled.value()) return true;
  if (live_.hideIEWindows.value()) {
    if (ReadToggleState()) {
      HideBrowserWindows();
      WriteToggleState(false);
    } else {
      ShowBrowserWindows();
      WriteToggleState(true);
    }
  }
  if (live_.toggleMute.value()) ToggleMute();
  return true;
}

// Only a state read can be turned round: a device that cannot say whether it
// is muted is left as it is.
void WindowsHotkey::ToggleMute() {
  platform::AudioOutput& audio = platform_.audio;
  bool muted = false;
  platform::HResult result = audio.GetMasterMute(&muted);
  if (platform::Succeeded(result)) result = audio.SetMasterMute(!muted);
  if (result != platform::kHresultNotFound || toldNoAudioDevice_) return;
  toldNoAudioDevice_ = true;
  if (TellNoAudioDevice) TellNoAudioDevice();
}

bool WindowsHotkey::IsMuted() {
  bool muted = false;
  return platform::Succeeded(platform_.audio.GetMasterMute(&muted)) && muted;
}

void WindowsHotkey::SetMute(bool mute) { platform_.audio.SetMasterMute(mute); }

bool WindowsHotkey::ReadToggleState() {
  bool status = false;
  settings_.Read([&status](settings::SettingsKey& key) { status = key.BoolOrFallback(settings::value::kIEStatus); });
  return status;
}

void WindowsHotkey::WriteToggleState(bool hideNext) {
  settings_.Change([hideNext](settings::SettingsKey& key) { key.WriteBool(settings::value::kIEStatus, hideNext); });
}

void WindowsHotkey::ShowBrowserWindows() {
  Desktop& desktop = platform_.desktop;
  ShowEveryBrowserFrame(desktop, true);
  // A handle is checked again: the window may have closed and its number
  // gone to another program's.
  for (WindowId window : hiddenOtherBrowsers_) {
    if (!IsBrowserWindow(desktop, window)) continue;
    if (!desktop.IsWindowVisible(window)) desktop.ShowWindow(window, platform::kSwShow);
    desktop.MarkHiddenForUser(window, false);
  }
  hiddenOtherBrowsers_.clear();
  browserWindowsHidden_ = false;
}

void WindowsHotkey::HideBrowserWindows() {
  Desktop& desktop = platform_.desktop;
  ShowEveryBrowserFrame(desktop, false);
  if (live_.hideAllBrowsers.value()) {
    std::vector<WindowId> shown;
    desktop.EnumTopLevelWindows([&desktop, &shown](WindowId window) {
      if (desktop.IsWindowVisible(window) && IsBrowserWindow(desktop, window)) shown.push_back(window);
      return true;
    });
    for (WindowId window : shown) {
      HideForUser(desktop, window);
      hiddenOtherBrowsers_.push_back(window);
    }
  }
  browserWindowsHidden_ = true;
}

void WindowsHotkey::ShowHiddenBrowserWindows() {
  if (!browserWindowsHidden_) return;
  ShowBrowserWindows();
  WriteToggleState(true);  // shown: the next press hides
}

}  // namespace services
