// What a person does to a running Corvane and then looks for.
#include "Person.h"

#include "Driver.h"

namespace e2e {

bool WaitForSetting(const std::wstring& name, DWORD expected, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (ReadSetting(name) != expected) {
    if (GetTickCount() - start > timeoutMs) return false;
    Pause(100);
  }
  return true;
}

bool WaitUntilVisible(HWND window, DWORD timeoutMs) {
  DWORD start = GetTickCount();
  while (!IsWindowVisible(window) && GetTickCount() - start < timeoutMs) Pause(100);
  return IsWindowVisible(window) != FALSE;
}

bool IsChecked(HWND box) {
  DWORD_PTR state = 0;
  SendMessageTimeoutW(box, BM_GETCHECK, 0, 0, SMTO_ABORTIFHUNG, 5000, &state);
  return state == BST_CHECKED;
}

bool CombinationIsFree(UINT modifiers, UINT key) {
  if (!RegisterHotKey(nullptr, 0x7B00, modifiers, key)) return false;
  UnregisterHotKey(nullptr, 0x7B00);
  return true;
}

bool TypeKeysThroughX(int x, int y, const std::wstring& keys) {
  if (GetFileAttributesW(L"Z:\\usr\\bin\\xdotool") == INVALID_FILE_ATTRIBUTES) return false;
  // A click gives the window the X focus, whatever an earlier test left
  // focused; the pointer then rests a moment before the keys: typed in the
  // same instant, the first key was lost in about two runs of five.
  return StartUnixProgram(L"/usr/bin/xdotool mousemove " + std::to_wstring(x) + L" " + std::to_wstring(y) +
                          L" click 1 sleep 0.5 key " + keys);
}

}  // namespace e2e
