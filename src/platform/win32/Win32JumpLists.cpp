// The shell's jump lists: the applications the shell lists, and the recent
// and frequent entries of one application's list.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include "platform/win32/ComApartment.h"
#include "platform/win32/ScopedHandle.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/WideString.h"

namespace platform::win32 {
namespace {

// Spelled out here rather than taken from the import libraries, which lack
// some of them: FOLDERID_AppsFolder, BHID_EnumItems, PKEY_AppUserModel_ID,
// CLSID_ApplicationDestinations and IID_IApplicationDestinations.
const KNOWNFOLDERID kAppsFolder = {0x1e87508d, 0x89c2, 0x42f0, {0x8a, 0x7e, 0x64, 0x5a, 0x0f, 0x50, 0xca, 0x58}};
const GUID kBhidEnumItems = {0x94f60519, 0x2850, 0x4924, {0xaa, 0x5a, 0xd1, 0x5e, 0x84, 0x86, 0x80, 0x39}};
const PROPERTYKEY kAppUserModelId = {{0x9f4c2855, 0x9f79, 0x4b39, {0xa8, 0xd0, 0xe1, 0xd4, 0x2d, 0xe1, 0xd5, 0xf3}}, 5};
const CLSID kClsidApplicationDestinations = {
    0x86c14003, 0x4d6b, 0x4ef3, {0xa7, 0xb4, 0x05, 0x06, 0x66, 0x3b, 0x2e, 0x68}};
const IID kIidApplicationDestinations = {0x12337d35, 0x94c6, 0x48a0, {0xbc, 0xe7, 0x6a, 0x9c, 0x69, 0xd4, 0xd6, 0x00}};

template <typename Interface>
using ComPtr = ScopedHandle<ComTraits<Interface>>;

}  // namespace

long Win32Shell::ApplicationIds(std::vector<std::string>* ids) {
  ComApartment com;
  IShellItem* folderRaw = nullptr;
  HRESULT hr = SHGetKnownFolderItem(kAppsFolder, KF_FLAG_DEFAULT, nullptr, IID_PPV_ARGS(&folderRaw));
  ComPtr<IShellItem> folder(folderRaw);
  if (FAILED(hr)) return hr;
  IEnumShellItems* itemsRaw = nullptr;
  hr = folder.get()->BindToHandler(nullptr, kBhidEnumItems, IID_PPV_ARGS(&itemsRaw));
  ComPtr<IEnumShellItems> items(itemsRaw);
  if (FAILED(hr)) return hr;
  std::vector<std::string> found;
  for (;;) {
    IShellItem* itemRaw = nullptr;
    hr = items.get()->Next(1, &itemRaw, nullptr);
    ComPtr<IShellItem> item(itemRaw);
    if (hr != S_OK) break;
    IShellItem2* namedRaw = nullptr;
    if (FAILED(item.get()->QueryInterface(IID_PPV_ARGS(&namedRaw)))) continue;
    ComPtr<IShellItem2> named(namedRaw);
    // An entry without an identifier (a plain link to a document) has no
    // jump list of its own.
    wchar_t* id = nullptr;
    if (SUCCEEDED(named.get()->GetString(kAppUserModelId, &id)) && id && *id) found.push_back(Utf8(id));
    CoTaskMemFree(id);
  }
  if (FAILED(hr)) return hr;
  *ids = std::move(found);
  return S_OK;
}

long Win32Shell::RemoveAllDestinations(const std::string& appId) {
  ComApartment com;
  IApplicationDestinations* raw = nullptr;
  HRESULT hr = CoCreateInstance(kClsidApplicationDestinations, nullptr, CLSCTX_INPROC_SERVER,
                                kIidApplicationDestinations, reinterpret_cast<void**>(&raw));
  ComPtr<IApplicationDestinations> destinations(raw);
  if (FAILED(hr)) return hr;
  hr = destinations.get()->SetAppID(Wide(appId).c_str());
  if (FAILED(hr)) return hr;
  return destinations.get()->RemoveAllDestinations();
}

}  // namespace platform::win32
