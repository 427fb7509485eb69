// The URL history store (CLSID_CUrlHistory, IUrlHistoryStg2).
#pragma once

#include "platform/UrlCache.h"

namespace platform::win32 {

class Win32UrlHistory : public UrlHistory {
 public:
  std::unique_ptr<HistoryStore> CreateStore(long* hresult) override;
};

}  // namespace platform::win32
