// The Windows hotkey's action: a press hides or shows every Internet Explorer
// frame window and flips the mute switch of the speakers' wave output.
#include <cstdint>
#include <memory>

#include "app/CorvaneMain.h"
#include "app/SettingsAccessor.h"
#include "app/Settings.h"
#include "platform/Mixer.h"

namespace app {

using namespace platform;

namespace {

// GetClassNameA into 16 bytes: a longer class name is cut to 15 characters,
// which still never equals the whole name "IEFrame".
constexpr int kClassBufferSize = 16;
constexpr const char* kBrowserFrameClass = "IEFrame";

void ShowEveryBrowserFrame(Desktop& desktop, int command) {
  desktop.EnumTopLevelWindows([&desktop, command](WindowId window) {
    if (desktop.ClassNameOf(window, kClassBufferSize) == kBrowserFrameClass) desktop.ShowWindow(window, command);
    return true;
  });
}

// Opens mixer 0 and looks up the mute switch of the speakers' wave-out line.
// Null, with the mixer closed again, when any step fails.
std::unique_ptr<MixerDevice> OpenWaveOutMute(Mixer& mixer, uint32_t* controlId) {
  uint32_t result = 0;
  std::unique_ptr<MixerDevice> device = mixer.Open(0, 0, &result);
  if (!device) return nullptr;

  MixerLineRecord line;
  line.structSize = kMixerLineSize;
  line.componentType = kMixerDstSpeakers;
  if (device->GetLineInfo(line, kMixerLineByComponentType) != kMmNoError) return nullptr;
  // When no source is the wave output, the record keeps the line read last:
  // the last source, or the speakers themselves when they have none.
  const uint32_t sources = line.connections;
  for (uint32_t source = 0; source < sources; ++source) {
    line.source = source;
    device->GetLineInfo(line, kMixerLineBySource);
    if (line.componentType == kMixerSrcWaveOut) break;
  }

  MixerControlRecord control;
  MixerLineControlsRecord request;
  request.structSize = kMixerLineControlsSize;
  request.lineId = line.lineId;
  request.controlType = kMixerControlMute;
  request.controlCount = 1;
  request.controlSize = kMixerControlSize;
  request.controls = &control;
  if (device->GetLineControls(request, kMixerControlsOneByType) != kMmNoError) return nullptr;
  *controlId = control.controlId;
  return device;
}

// A stored combination outside the 16-bit range names no row, rather than
// wrapping round onto one.
int16_t AsCombination(int32_t stored) {
  return stored >= INT16_MIN && stored <= INT16_MAX ? static_cast<int16_t>(stored) : -1;
}

MixerControlDetailsRecord BooleanDetails(uint32_t controlId, int32_t* value) {
  MixerControlDetailsRecord details;
  details.structSize = kMixerControlDetailsSize;
  details.controlId = controlId;
  details.channels = 1;
  details.multipleItems = 0;
  details.detailsSize = sizeof(int32_t);
  details.booleans = value;
  return details;
}

}  // namespace

bool TCorvaneMain::HandleBossKey(uintptr_t hotkeyId) {
  if (hotkeyId != 1 && hotkeyId != 2) return false;
  const LiveSettings& live = app_.live;
  if (!live.hotkeyEnabled.value()) return true;
  if (live.hideIEWindows.value()) {
    if (ReadIEStatus()) {
      HideIEWindows();
      WriteIEStatus(false);
    } else {
      ShowIEWindows();
      WriteIEStatus(true);
    }
  }
  if (live.toggleMute.value()) SetVolumeMute(!IsVolumeMuted());
  return true;
}

bool TCorvaneMain::ReadIEStatus() {
  bool status = false;
  app_.settings.Read([&status](SettingsKey& key) { status = key.BoolIfPresent(value::kIEStatus).value_or(false); });
  return status;
}

void TCorvaneMain::WriteIEStatus(bool status) {
  app_.settings.Change([status](SettingsKey& key) { key.WriteBool(value::kIEStatus, status); });
}

void TCorvaneMain::ShowIEWindows() {
  ShowEveryBrowserFrame(app_.platform.desktop, kSwShow);
  browserWindowsHidden_ = false;
}

void TCorvaneMain::HideIEWindows() {
  ShowEveryBrowserFrame(app_.platform.desktop, kSwHide);
  browserWindowsHidden_ = true;
}

// Once the hotkey can no longer bring them back (switched off, or the program
// ends), the windows it hid would stay hidden with no way to reach them.
void TCorvaneMain::ShowHiddenBrowserWindows() {
  if (!browserWindowsHidden_) return;
  ShowIEWindows();
  WriteIEStatus(true);  // shown: the next press hides
}

bool TCorvaneMain::IsVolumeMuted() {
  uint32_t controlId = 0;
  std::unique_ptr<MixerDevice> device = OpenWaveOutMute(app_.platform.mixer, &controlId);
  if (!device) return false;
  int32_t value = 0;
  MixerControlDetailsRecord details = BooleanDetails(controlId, &value);
  // A switch that cannot be read counts as not muted.
  if (device->GetControlDetails(details, kMixerDetailsValue) != kMmNoError) return false;
  return value != 0;
}

void TCorvaneMain::SetVolumeMute(bool mute) {
  uint32_t controlId = 0;
  std::unique_ptr<MixerDevice> device = OpenWaveOutMute(app_.platform.mixer, &controlId);
  if (!device) return;
  int32_t value = mute ? 1 : 0;
  device->SetControlDetails(BooleanDetails(controlId, &value), kMixerDetailsValue);
}

// The tray's mark and the registration follow the live switch.
void TCorvaneMain::MenuEnableBossKeyClick() {
  Watched<bool>& enabled = app_.live.hotkeyEnabled;
  StoreSwitch(app_.settings, value::kWindowsHotKey, enabled, !enabled.value());
}

void TCorvaneMain::RegisterStoredBossKey() {
  // A missing combination means CTRL + F12, without storing it; one that
  // cannot be read registers nothing.
  app_.settings.Read([this](SettingsKey& key) {
    RegisterBossKey(AsCombination(key.IntegerIfPresent(value::kHotkeyCombination).value_or(1)));
  });
}

}  // namespace app
