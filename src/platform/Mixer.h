// The sound card's mixer, shaped like the mixer calls: records that carry the
// caller's structure sizes and flags, results as MMRESULT codes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/ErrorCodes.h"

namespace platform {

// The structure sizes for this build's word size. The mixer structures are
// byte-packed, so only the pointer fields make a 64-bit build differ.
constexpr uint32_t kMixerLineSize = sizeof(void*) == 8 ? 172 : 168;          // MIXERLINEA
constexpr uint32_t kMixerLineControlsSize = sizeof(void*) == 8 ? 28 : 24;    // MIXERLINECONTROLSA
constexpr uint32_t kMixerControlSize = 148;                                  // MIXERCONTROLA
constexpr uint32_t kMixerControlDetailsSize = sizeof(void*) == 8 ? 32 : 24;  // MIXERCONTROLDETAILS

// mixerGetLineInfo flags.
enum : uint32_t { kMixerLineBySource = 1, kMixerLineByComponentType = 3 };
// mixerGetLineControls flag.
enum : uint32_t { kMixerControlsOneByType = 2 };
// mixerGet/SetControlDetails flag.
enum : uint32_t { kMixerDetailsValue = 0 };

// Component and control types.
enum : uint32_t {
  kMixerDstSpeakers = 4,
  kMixerSrcWaveOut = 0x1008,
  kMixerControlMute = 0x20010002,
};

// MIXERLINEA: the fields the caller fills in and the call fills in.
struct MixerLineRecord {
  uint32_t structSize = 0;     // cbStruct
  uint32_t destination = 0;    // dwDestination
  uint32_t source = 0;         // dwSource
  uint32_t lineId = 0;         // dwLineID
  uint32_t lineFlags = 0;      // fdwLine
  uint32_t componentType = 0;  // dwComponentType
  uint32_t channels = 0;       // cChannels
  uint32_t connections = 0;    // cConnections
  uint32_t controls = 0;       // cControls
  std::string name;            // szName
};

// MIXERCONTROLA, as the call fills it in.
struct MixerControlRecord {
  uint32_t structSize = 0;   // cbStruct
  uint32_t controlId = 0;    // dwControlID
  uint32_t controlType = 0;  // dwControlType
  std::string name;          // szName
};

// MIXERLINECONTROLSA; `controls` points at `controlCount` records.
struct MixerLineControlsRecord {
  uint32_t structSize = 0;                 // cbStruct
  uint32_t lineId = 0;                     // dwLineID
  uint32_t controlType = 0;                // dwControlType (the union's member for ONEBYTYPE)
  uint32_t controlCount = 0;               // cControls
  uint32_t controlSize = 0;                // cbmxctrl
  MixerControlRecord* controls = nullptr;  // pamxctrl
};

// MIXERCONTROLDETAILS with MIXERCONTROLDETAILS_BOOLEAN values: `booleans`
// points at channels x max(1, multipleItems) 32-bit values.
struct MixerControlDetailsRecord {
  uint32_t structSize = 0;      // cbStruct
  uint32_t controlId = 0;       // dwControlID
  uint32_t channels = 0;        // cChannels
  uint32_t multipleItems = 0;   // cMultipleItems
  uint32_t detailsSize = 0;     // cbDetails
  int32_t* booleans = nullptr;  // paDetails
};

// An open mixer device; mixerClose when destroyed. Every call passes the
// handle mixerOpen returned and exactly the caller's flags.
class MixerDevice {
 public:
  virtual ~MixerDevice() = default;
  virtual uint32_t GetLineInfo(MixerLineRecord& line, uint32_t flags) = 0;
  virtual uint32_t GetLineControls(MixerLineControlsRecord& controls, uint32_t flags) = 0;
  virtual uint32_t GetControlDetails(MixerControlDetailsRecord& details, uint32_t flags) = 0;
  virtual uint32_t SetControlDetails(const MixerControlDetailsRecord& details, uint32_t flags) = 0;
};

class Mixer {
 public:
  virtual ~Mixer() = default;
  // mixerOpen(&handle, deviceId, 0, 0, flags); null with *result set on failure.
  virtual std::unique_ptr<MixerDevice> Open(uint32_t deviceId, uint32_t flags, uint32_t* result) = 0;
};

}  // namespace platform
