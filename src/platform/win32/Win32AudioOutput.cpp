// The master mute through Core Audio: the device enumerator, the default
// playback device for the console role, and its endpoint volume. COM lives
// only for the length of each call, so the idle tray program never loads it.
#include "platform/win32/Win32AudioOutput.h"

#include <windows.h>
#include <endpointvolume.h>
#include <mmdeviceapi.h>

#include "platform/win32/ComApartment.h"
#include "platform/win32/ScopedHandle.h"

namespace platform::win32 {
namespace {

// Spelled out rather than taken from the import libraries, which lack some
// of them: CLSID_MMDeviceEnumerator, IID_IMMDeviceEnumerator and
// IID_IAudioEndpointVolume.
const CLSID kClsidDeviceEnumerator = {0xBCDE0395, 0xE52F, 0x467C, {0x8E, 0x3D, 0xC4, 0x57, 0x92, 0x91, 0x69, 0x2E}};
const IID kIidDeviceEnumerator = {0xA95664D2, 0x9614, 0x4F35, {0xA7, 0x46, 0xDE, 0x8D, 0xB6, 0x36, 0x17, 0xE6}};
const IID kIidEndpointVolume = {0x5CDF2C82, 0x841E, 0x4546, {0x97, 0x22, 0x0C, 0xF7, 0x40, 0x78, 0x22, 0x9A}};

template <typename Interface>
using ComPtr = ScopedHandle<ComTraits<Interface>>;

// The default playback device's volume; the failure of the step that failed.
HRESULT OpenEndpointVolume(ComPtr<IAudioEndpointVolume>* volume) {
  IMMDeviceEnumerator* enumeratorRaw = nullptr;
  HRESULT hr = CoCreateInstance(kClsidDeviceEnumerator, nullptr, CLSCTX_INPROC_SERVER, kIidDeviceEnumerator,
                                reinterpret_cast<void**>(&enumeratorRaw));
  ComPtr<IMMDeviceEnumerator> enumerator(enumeratorRaw);
  if (FAILED(hr)) return hr;
  IMMDevice* deviceRaw = nullptr;
  // E_NOTFOUND when the machine has no playback device.
  hr = enumerator.get()->GetDefaultAudioEndpoint(eRender, eConsole, &deviceRaw);
  ComPtr<IMMDevice> device(deviceRaw);
  if (FAILED(hr)) return hr;
  IAudioEndpointVolume* volumeRaw = nullptr;
  hr = device.get()->Activate(kIidEndpointVolume, CLSCTX_INPROC_SERVER, nullptr, reinterpret_cast<void**>(&volumeRaw));
  volume->Reset(volumeRaw);
  return hr;
}

}  // namespace

HResult Win32AudioOutput::GetMasterMute(bool* muted) {
  ComApartment com;
  ComPtr<IAudioEndpointVolume> volume;
  HRESULT hr = OpenEndpointVolume(&volume);
  if (FAILED(hr)) return hr;
  BOOL value = FALSE;
  hr = volume.get()->GetMute(&value);
  if (SUCCEEDED(hr)) *muted = value != FALSE;
  return hr;
}

HResult Win32AudioOutput::SetMasterMute(bool muted) {
  ComApartment com;
  ComPtr<IAudioEndpointVolume> volume;
  HRESULT hr = OpenEndpointVolume(&volume);
  if (FAILED(hr)) return hr;
  // No event context: other programs' volume controls hear of it as of any change.
  return volume.get()->SetMute(muted ? TRUE : FALSE, nullptr);
}

}  // namespace platform::win32
