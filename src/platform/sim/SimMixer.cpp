// The simulated mixer. It checks structure sizes and flags as the mixer
// driver does, so a caller that passes the wrong ones fails here too.
#include "platform/sim/SimMixer.h"

#include <algorithm>

namespace platform::sim {

namespace {
constexpr uint32_t kSrcCompactDisc = 0x1005;
constexpr uint32_t kSrcMicrophone = 0x1003;
constexpr uint32_t kDstWaveIn = 7;
constexpr uint32_t kControlVolume = 0x50030001;
}  // namespace

SimMixer::SimMixer() {
  Destination speakers;
  speakers.line = {0xFFFF0000,
                   kMixerDstSpeakers,
                   "Master Volume",
                   {{1, kControlVolume, "Master Volume", 0}, {2, kMixerControlMute, "Master Mute", 0}}};
  speakers.sources.push_back({0x00000000, kSrcCompactDisc, "CD Audio", {{3, kMixerControlMute, "CD Mute", 0}}});
  speakers.sources.push_back({0x00010000,
                              kMixerSrcWaveOut,
                              "Wave",
                              {{4, kControlVolume, "Wave Volume", 0}, {5, kMixerControlMute, "Wave Mute", 0}}});
  Destination recording;
  recording.line = {0xFFFF0001, kDstWaveIn, "Recording Control", {}};
  recording.sources.push_back({0x00000001, kSrcMicrophone, "Microphone", {{6, kMixerControlMute, "Mic Mute", 0}}});
  destinations = {speakers, recording};
}

// An open device: each call is checked and recorded, and the close counted.
class SimMixer::Device : public MixerDevice {
 public:
  explicit Device(SimMixer& mixer) : mixer_(mixer) {}
  ~Device() override { ++mixer_.closes; }

  uint32_t GetLineInfo(MixerLineRecord& line, uint32_t flags) override {
    return Record("GetLineInfo", flags, line.structSize, LineInfo(line, flags));
  }

  uint32_t GetLineControls(MixerLineControlsRecord& request, uint32_t flags) override {
    return Record("GetLineControls", flags, request.structSize, LineControls(request, flags));
  }

  uint32_t GetControlDetails(MixerControlDetailsRecord& details, uint32_t flags) override {
    uint32_t result = CheckDetails(details, flags);
    if (result == kMmNoError) result = mixer_.readDetailsResult;
    if (result == kMmNoError) details.booleans[0] = mixer_.FindControl(details.controlId)->value;
    return Record("GetControlDetails", flags, details.structSize, result);
  }

  uint32_t SetControlDetails(const MixerControlDetailsRecord& details, uint32_t flags) override {
    uint32_t result = CheckDetails(details, flags);
    if (result == kMmNoError) mixer_.FindControl(details.controlId)->value = details.booleans[0] != 0;
    return Record("SetControlDetails", flags, details.structSize, result);
  }

 private:
  uint32_t Record(const char* op, uint32_t flags, uint32_t size, uint32_t result) {
    mixer_.calls.push_back({op, flags, size, result});
    return result;
  }

  static void Fill(MixerLineRecord& out, const Line& line, uint32_t destination, uint32_t source,
                   uint32_t connections) {
    out.destination = destination;
    out.source = source;
    out.lineId = line.id;
    out.lineFlags = 1;  // MIXERLINE_LINEF_ACTIVE
    out.componentType = line.componentType;
    out.channels = 2;
    out.connections = connections;
    out.controls = static_cast<uint32_t>(line.controls.size());
    out.name = line.name;
  }

  uint32_t LineInfo(MixerLineRecord& line, uint32_t flags) {
    if (line.structSize != kMixerLineSize) return kMmInvalParam;
    auto& destinations = mixer_.destinations;
    if (flags == kMixerLineByComponentType) {
      for (size_t d = 0; d < destinations.size(); ++d) {
        if (destinations[d].line.componentType != line.componentType) continue;
        Fill(line, destinations[d].line, static_cast<uint32_t>(d), 0,
             static_cast<uint32_t>(destinations[d].sources.size()));
        return kMmNoError;
      }
      return kMixerInvalLine;
    }
    if (flags == kMixerLineBySource) {
      if (line.destination >= destinations.size()) return kMmInvalParam;
      const Destination& dest = destinations[line.destination];
      if (line.source >= dest.sources.size()) return kMmInvalParam;
      Fill(line, dest.sources[line.source], line.destination, line.source, 0);
      return kMmNoError;
    }
    return kMmInvalFlag;
  }

  uint32_t LineControls(MixerLineControlsRecord& request, uint32_t flags) {
    if (flags != kMixerControlsOneByType) return kMmInvalFlag;
    if (request.structSize != kMixerLineControlsSize || request.controlCount != 1 ||
        request.controlSize < kMixerControlSize || !request.controls) {
      return kMmInvalParam;
    }
    Line* line = mixer_.FindLine(request.lineId);
    if (!line) return kMixerInvalLine;
    for (const Control& c : line->controls) {
      if (c.type != request.controlType) continue;
      *request.controls = {kMixerControlSize, c.id, c.type, c.name};
      return kMmNoError;
    }
    return kMixerInvalControl;
  }

  uint32_t CheckDetails(const MixerControlDetailsRecord& details, uint32_t flags) {
    if (flags != kMixerDetailsValue) return kMmInvalFlag;
    if (details.structSize != kMixerControlDetailsSize || details.channels != 1 || details.multipleItems != 0 ||
        details.detailsSize != 4 || !details.booleans) {
      return kMmInvalParam;
    }
    return mixer_.FindControl(details.controlId) ? kMmNoError : kMixerInvalControl;
  }

  SimMixer& mixer_;
};

std::unique_ptr<MixerDevice> SimMixer::Open(uint32_t deviceId, uint32_t flags, uint32_t* result) {
  openDevices.push_back(deviceId);
  openFlags.push_back(flags);
  if (!present || deviceId != 0) {
    *result = kMmBadDeviceId;
    return nullptr;
  }
  ++opens;
  *result = kMmNoError;
  return std::make_unique<Device>(*this);
}

void SimMixer::RemoveSpeakers() {
  destinations.erase(std::remove_if(destinations.begin(), destinations.end(),
                                    [](const Destination& d) { return d.line.componentType == kMixerDstSpeakers; }),
                     destinations.end());
}

void SimMixer::RemoveWaveOutSource() {
  for (Destination& d : destinations) {
    d.sources.erase(std::remove_if(d.sources.begin(), d.sources.end(),
                                   [](const Line& l) { return l.componentType == kMixerSrcWaveOut; }),
                    d.sources.end());
  }
}

void SimMixer::RemoveMuteControl(uint32_t lineId) {
  Line* line = FindLine(lineId);
  if (!line) return;
  line->controls.erase(std::remove_if(line->controls.begin(), line->controls.end(),
                                      [](const Control& c) { return c.type == kMixerControlMute; }),
                       line->controls.end());
}

SimMixer::Line* SimMixer::FindLine(uint32_t lineId) {
  for (Destination& d : destinations) {
    if (d.line.id == lineId) return &d.line;
    for (Line& s : d.sources) {
      if (s.id == lineId) return &s;
    }
  }
  return nullptr;
}

SimMixer::Control* SimMixer::MuteOf(uint32_t lineId) {
  Line* line = FindLine(lineId);
  if (!line) return nullptr;
  for (Control& c : line->controls) {
    if (c.type == kMixerControlMute) return &c;
  }
  return nullptr;
}

SimMixer::Control* SimMixer::FindControl(uint32_t controlId) {
  auto inLine = [controlId](Line& line) -> Control* {
    for (Control& c : line.controls) {
      if (c.id == controlId) return &c;
    }
    return nullptr;
  };
  for (Destination& d : destinations) {
    if (Control* c = inLine(d.line)) return c;
    for (Line& s : d.sources) {
      if (Control* c = inLine(s)) return c;
    }
  }
  return nullptr;
}

}  // namespace platform::sim
