// The mixer calls of winmm: each record is copied into the real structure
// with the caller's cbStruct, so a wrong size fails as it would for any
// caller. A size beyond the structure we hold is refused before the call,
// which would otherwise write past it.
#include "platform/win32/Win32Mixer.h"

#include <windows.h>
#include <mmsystem.h>

#include <cstring>
#include <vector>

#include "platform/win32/ScopedHandle.h"

namespace platform::win32 {

static_assert(kMixerLineSize == sizeof(MIXERLINEA));
static_assert(kMixerLineControlsSize == sizeof(MIXERLINECONTROLSA));
static_assert(kMixerControlSize == sizeof(MIXERCONTROLA));
static_assert(kMixerControlDetailsSize == sizeof(MIXERCONTROLDETAILS));
static_assert(sizeof(MIXERCONTROLDETAILS_BOOLEAN) == sizeof(int32_t));

namespace {

// One open mixer device; closed when destroyed.
class Win32MixerDevice : public MixerDevice {
 public:
  explicit Win32MixerDevice(HMIXER mixer) : mixer_(mixer) {}

  uint32_t GetLineInfo(MixerLineRecord& line, uint32_t flags) override {
    MIXERLINEA native;
    if (line.structSize > sizeof native) return MMSYSERR_INVALPARAM;
    std::memset(&native, 0, sizeof native);
    native.cbStruct = line.structSize;
    native.dwDestination = line.destination;
    native.dwSource = line.source;
    native.dwLineID = line.lineId;
    native.fdwLine = line.lineFlags;
    native.dwComponentType = line.componentType;
    native.cChannels = line.channels;
    native.cConnections = line.connections;
    native.cControls = line.controls;
    std::strncpy(native.szName, line.name.c_str(), sizeof native.szName - 1);
    MMRESULT result = mixerGetLineInfoA(Object(), &native, flags);
    // What the structure holds afterwards, whether or not the call succeeded.
    line.destination = native.dwDestination;
    line.source = native.dwSource;
    line.lineId = native.dwLineID;
    line.lineFlags = native.fdwLine;
    line.componentType = native.dwComponentType;
    line.channels = native.cChannels;
    line.connections = native.cConnections;
    line.controls = native.cControls;
    line.name.assign(native.szName, strnlen(native.szName, sizeof native.szName));
    return result;
  }

  uint32_t GetLineControls(MixerLineControlsRecord& request, uint32_t flags) override {
    if (request.structSize > sizeof(MIXERLINECONTROLSA) || request.controlSize > sizeof(MIXERCONTROLA)) {
      return MMSYSERR_INVALPARAM;
    }
    std::vector<MIXERCONTROLA> controls(request.controlCount ? request.controlCount : 1);
    std::memset(controls.data(), 0, controls.size() * sizeof(MIXERCONTROLA));
    MIXERLINECONTROLSA native;
    std::memset(&native, 0, sizeof native);
    native.cbStruct = request.structSize;
    native.dwLineID = request.lineId;
    native.dwControlType = request.controlType;
    native.cControls = request.controlCount;
    native.cbmxctrl = request.controlSize;
    native.pamxctrl = controls.data();
    MMRESULT result = mixerGetLineControlsA(Object(), &native, flags);
    if (result == MMSYSERR_NOERROR && request.controls) {
      for (uint32_t i = 0; i < request.controlCount; ++i) {
        const MIXERCONTROLA& c = controls[i];
        request.controls[i] = {c.cbStruct, c.dwControlID, c.dwControlType,
                               std::string(c.szName, strnlen(c.szName, sizeof c.szName))};
      }
    }
    return result;
  }

  uint32_t GetControlDetails(MixerControlDetailsRecord& details, uint32_t flags) override {
    if (details.structSize > sizeof(MIXERCONTROLDETAILS)) return MMSYSERR_INVALPARAM;
    MIXERCONTROLDETAILS native = Native(details);
    return mixerGetControlDetailsA(Object(), &native, flags);
  }

  uint32_t SetControlDetails(const MixerControlDetailsRecord& details, uint32_t flags) override {
    if (details.structSize > sizeof(MIXERCONTROLDETAILS)) return MMSYSERR_INVALPARAM;
    MIXERCONTROLDETAILS native = Native(details);
    return mixerSetControlDetails(Object(), &native, flags);
  }

 private:
  // The handle as the calls take it; no MIXER_OBJECTF_HMIXER is added to the
  // flags, exactly as the caller gave them.
  HMIXEROBJ Object() const { return reinterpret_cast<HMIXEROBJ>(mixer_.get()); }

  static MIXERCONTROLDETAILS Native(const MixerControlDetailsRecord& details) {
    MIXERCONTROLDETAILS native;
    std::memset(&native, 0, sizeof native);
    native.cbStruct = details.structSize;
    native.dwControlID = details.controlId;
    native.cChannels = details.channels;
    native.cMultipleItems = details.multipleItems;
    native.cbDetails = details.detailsSize;
    native.paDetails = details.booleans;
    return native;
  }

  ScopedHandle<MixerTraits> mixer_;
};

}  // namespace

std::unique_ptr<MixerDevice> Win32Mixer::Open(uint32_t deviceId, uint32_t flags, uint32_t* result) {
  HMIXER mixer = nullptr;
  *result = mixerOpen(&mixer, deviceId, 0, 0, flags);
  if (*result != MMSYSERR_NOERROR) return nullptr;
  return std::make_unique<Win32MixerDevice>(mixer);
}

}  // namespace platform::win32
