#include "platform/win32/SidText.h"

#include <sddl.h>

#include "platform/win32/ScopedHandle.h"

namespace platform::win32 {

std::wstring SidText(PSID sid) {
  wchar_t* text = nullptr;
  if (!sid || !ConvertSidToStringSidW(sid, &text)) return {};
  ScopedLocalMemory<wchar_t*> owned(text);
  return owned.get();
}

}  // namespace platform::win32
