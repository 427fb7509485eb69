// A simulated sound card mixer: destinations with their source lines and
// controls, every call recorded, and a machine that can lack the device,
// the speakers line, the wave-out source or the mute control.
#pragma once

#include <string>
#include <vector>

#include "platform/Mixer.h"

namespace platform::sim {

class SimMixer : public Mixer {
 public:
  struct Control {
    uint32_t id = 0;
    uint32_t type = 0;
    std::string name;
    int32_t value = 0;
  };
  struct Line {
    uint32_t id = 0;
    uint32_t componentType = 0;
    std::string name;
    std::vector<Control> controls;
  };
  struct Destination {
    Line line;
    std::vector<Line> sources;
  };
  struct Call {
    std::string op;  // "GetLineInfo", "GetLineControls", "GetControlDetails", "SetControlDetails"
    uint32_t flags = 0;
    uint32_t structSize = 0;
    uint32_t result = 0;
  };

  // A usual sound card: the speakers with a CD and a wave-out source, each
  // line with a mute switch, and a recording destination.
  SimMixer();

  std::unique_ptr<MixerDevice> Open(uint32_t deviceId, uint32_t flags, uint32_t* result) override;

  // Faults a machine can have.
  void RemoveDevice() { present = false; }
  void RemoveSpeakers();
  void RemoveWaveOutSource();
  void RemoveMuteControl(uint32_t lineId);
  // A mixer whose control details cannot be read.
  void FailReadingDetails(uint32_t result) { readDetailsResult = result; }

  Line* FindLine(uint32_t lineId);
  // The mute switch of a line; null when the line has none.
  Control* MuteOf(uint32_t lineId);
  uint32_t SpeakersLineId() const { return 0xFFFF0000; }
  uint32_t WaveOutLineId() const { return 0x00010000; }
  uint32_t CdLineId() const { return 0x00000000; }

  bool present = true;
  std::vector<Destination> destinations;
  uint32_t readDetailsResult = kMmNoError;
  int opens = 0;
  int closes = 0;
  std::vector<uint32_t> openDevices;
  std::vector<uint32_t> openFlags;
  std::vector<Call> calls;

 private:
  class Device;
  Control* FindControl(uint32_t controlId);
};

}  // namespace platform::sim
