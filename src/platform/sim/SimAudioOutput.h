// A simulated default playback device with its master mute, or a machine
// without one, as Windows answers for each; every call counted.
#pragma once

#include "platform/AudioOutput.h"

namespace platform::sim {

class SimAudioOutput : public AudioOutput {
 public:
  HResult GetMasterMute(bool* muted) override {
    ++reads;
    if (!present) return kHresultNotFound;
    if (Succeeded(readResult)) *muted = this->muted;
    return readResult;
  }
  HResult SetMasterMute(bool muted) override {
    ++writes;
    if (!present) return kHresultNotFound;
    if (Succeeded(writeResult)) this->muted = muted;
    return writeResult;
  }

  bool present = true;  // false: a machine with no playback device
  bool muted = false;
  // What a read or a write answers on a device that fails it.
  HResult readResult = kHresultOk;
  HResult writeResult = kHresultOk;
  int reads = 0;
  int writes = 0;
};

}  // namespace platform::sim
