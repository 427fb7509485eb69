// The mixer calls: device numbers, the speakers line, its wave-out source and
// the mute switch, with the callers' structure sizes and flags.
#include <gtest/gtest.h>

#include "ContractEnv.h"

namespace contract {
namespace {

using namespace platform;

constexpr uint32_t kPoison = 0xDEADBEEF;

TEST(MixerContract, ADeviceNumberBeyondTheLastIsABadDeviceId) {
  uint32_t result = kPoison;
  EXPECT_EQ(Env().platform().mixer.Open(99, 0, &result), nullptr);
  EXPECT_EQ(result, kMmBadDeviceId);
}

// Reads the speakers' line by component type, then its sources one by one.
MixerLineRecord SpeakersLine(MixerDevice& device) {
  MixerLineRecord line;
  line.structSize = kMixerLineSize;
  line.componentType = kMixerDstSpeakers;
  EXPECT_EQ(device.GetLineInfo(line, kMixerLineByComponentType), kMmNoError);
  return line;
}

TEST(MixerContract, TheFirstDeviceOpensOrIsReportedMissing) {
  uint32_t result = kPoison;
  std::unique_ptr<MixerDevice> device = Env().platform().mixer.Open(0, 0, &result);
  // Windows (and the simulated machine) with a sound card opens it; Wine
  // here has none: mixerOpen(0) gives MMSYSERR_BADDEVICEID.
  EXPECT_EQ(result, WindowsOrWine(kMmNoError, kMmBadDeviceId));
  if (!device) {
    GTEST_SKIP() << "no sound card: the line, control and details calls run on the simulation only";
  }
  EXPECT_EQ(result, kMmNoError);

  MixerLineRecord wrongSize;
  wrongSize.structSize = kMixerLineSize - 4;
  wrongSize.componentType = kMixerDstSpeakers;
  EXPECT_EQ(device->GetLineInfo(wrongSize, kMixerLineByComponentType), kMmInvalParam);

  MixerLineRecord speakers = SpeakersLine(*device);
  EXPECT_EQ(speakers.componentType, kMixerDstSpeakers);
  bool waveOutFound = false;
  MixerLineRecord line = speakers;
  for (uint32_t source = 0; source < speakers.connections && !waveOutFound; ++source) {
    line.source = source;
    EXPECT_EQ(device->GetLineInfo(line, kMixerLineBySource), kMmNoError);
    EXPECT_EQ(line.source, source);
    EXPECT_EQ(line.connections, 0u) << "a source has no sources of its own";
    waveOutFound = line.componentType == kMixerSrcWaveOut;
  }
  line.source = speakers.connections;
  MixerLineRecord beyond = line;
  EXPECT_NE(device->GetLineInfo(beyond, kMixerLineBySource), kMmNoError) << "no such source";
  if (!waveOutFound) GTEST_SKIP() << "the speakers have no wave-output source: no mute switch to look for";

  MixerControlRecord control;
  control.controlId = kPoison;
  MixerLineControlsRecord request;
  request.structSize = kMixerLineControlsSize;
  request.lineId = line.lineId;
  request.controlType = kMixerControlMute;
  request.controlCount = 1;
  request.controlSize = kMixerControlSize;
  request.controls = &control;
  uint32_t found = device->GetLineControls(request, kMixerControlsOneByType);
  if (found == kMixerInvalControl) GTEST_SKIP() << "the wave output has no mute switch";
  ASSERT_EQ(found, kMmNoError);
  EXPECT_EQ(control.controlType, kMixerControlMute);
  EXPECT_NE(control.controlId, kPoison);

  int32_t value = static_cast<int32_t>(kPoison);
  MixerControlDetailsRecord details;
  details.structSize = kMixerControlDetailsSize;
  details.controlId = control.controlId;
  details.channels = 1;
  details.detailsSize = 4;
  details.booleans = &value;
  ASSERT_EQ(device->GetControlDetails(details, kMixerDetailsValue), kMmNoError);
  EXPECT_TRUE(value == 0 || value == 1) << value;

  // Flip the switch and put it back as it was.
  const int32_t before = value;
  value = before ? 0 : 1;
  EXPECT_EQ(device->SetControlDetails(details, kMixerDetailsValue), kMmNoError);
  value = static_cast<int32_t>(kPoison);
  EXPECT_EQ(device->GetControlDetails(details, kMixerDetailsValue), kMmNoError);
  EXPECT_EQ(value, before ? 0 : 1);
  value = before;
  EXPECT_EQ(device->SetControlDetails(details, kMixerDetailsValue), kMmNoError);
}

}  // namespace
}  // namespace contract
