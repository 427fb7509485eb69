// The URL history store through COM.
#include "platform/win32/Win32UrlHistory.h"

#include <windows.h>
#include <urlhist.h>

#include "platform/win32/ScopedHandle.h"

namespace platform::win32 {
namespace {

// CLSID_CUrlHistory and IID_IUrlHistoryStg2.
const CLSID kClsidUrlHistory = {0x3C374A40, 0xBAE4, 0x11CF, {0xBF, 0x7D, 0x00, 0xAA, 0x00, 0x69, 0x46, 0xEE}};
const IID kIidUrlHistoryStg2 = {0xAFA0DC11, 0xC313, 0x11D0, {0x83, 0x1A, 0x00, 0xC0, 0x4F, 0xD5, 0xAE, 0x38}};

// The store and the COM initialisation of the thread that made it: both
// end, in that order, on that thread when the store is destroyed.
class Win32HistoryStore : public HistoryStore {
 public:
  Win32HistoryStore(IUrlHistoryStg2* store, bool uninitialize) : store_(store), uninitialize_(uninitialize) {}
  ~Win32HistoryStore() override {
    store_.Reset();
    if (uninitialize_) CoUninitialize();
  }
  long ClearHistory() override { return store_.get()->ClearHistory(); }

 private:
  ScopedHandle<ComTraits<IUrlHistoryStg2>> store_;
  bool uninitialize_;
};

}  // namespace

std::unique_ptr<HistoryStore> Win32UrlHistory::CreateStore(long* hresult) {
  // The cleaner creates the store on its own worker thread, where nobody
  // has initialised COM. RPC_E_CHANGED_MODE means it is already usable there.
  HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  bool uninitialize = SUCCEEDED(init);
  IUrlHistoryStg2* store = nullptr;
  HRESULT hr = CoCreateInstance(kClsidUrlHistory, nullptr, CLSCTX_INPROC_SERVER, kIidUrlHistoryStg2,
                                reinterpret_cast<void**>(&store));
  *hresult = hr;
  if (FAILED(hr) || !store) {
    if (uninitialize) CoUninitialize();
    return nullptr;
  }
  return std::make_unique<Win32HistoryStore>(store, uninitialize);
}

}  // namespace platform::win32
