// The wave output's mute switch.
#include "services/WaveOutMute.h"

#include <cstdint>
#include <memory>

namespace services {

using namespace platform;

namespace {

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

bool IsWaveOutMuted(Mixer& mixer) {
  uint32_t controlId = 0;
  std::unique_ptr<MixerDevice> device = OpenWaveOutMute(mixer, &controlId);
  if (!device) return false;
  int32_t value = 0;
  MixerControlDetailsRecord details = BooleanDetails(controlId, &value);
  // A switch that cannot be read counts as not muted.
  if (device->GetControlDetails(details, kMixerDetailsValue) != kMmNoError) return false;
  return value != 0;
}

void SetWaveOutMute(Mixer& mixer, bool mute) {
  uint32_t controlId = 0;
  std::unique_ptr<MixerDevice> device = OpenWaveOutMute(mixer, &controlId);
  if (!device) return;
  int32_t value = mute ? 1 : 0;
  device->SetControlDetails(BooleanDetails(controlId, &value), kMixerDetailsValue);
}

}  // namespace services
