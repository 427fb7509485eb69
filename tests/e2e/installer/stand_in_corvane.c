/* Stand-in for corvane.exe in installer tests: a hidden main window of class
   TCorvaneMain captioned "Preferences" that marks itself running and ends on
   the program's exit command (WM_COMMAND 9001), clearing the mark. */
#include <windows.h>

#define SETTINGS_KEY L"SOFTWARE\\Tessaly\\Corvane\\Version2\\Settings"
#define EXIT_COMMAND 9001

static void write_running(DWORD value) {
  HKEY key;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, SETTINGS_KEY, 0, NULL, 0, KEY_SET_VALUE, NULL, &key, NULL) != ERROR_SUCCESS)
    return;
  RegSetValueExW(key, L"CorvaneRunning", 0, REG_DWORD, (const BYTE*)&value, sizeof value);
  RegCloseKey(key);
}

static LRESULT CALLBACK main_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_COMMAND && LOWORD(wp) == EXIT_COMMAND) {
    write_running(0);
    DestroyWindow(hwnd);
    return 0;
  }
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

int WINAPI wWinMain(HINSTANCE inst, HINSTANCE prev, PWSTR cmd, int show) {
  (void)prev;
  (void)cmd;
  (void)show;
  WNDCLASSW wc = {0};
  wc.lpfnWndProc = main_proc;
  wc.hInstance = inst;
  wc.lpszClassName = L"TCorvaneMain";
  if (!RegisterClassW(&wc)) return 1;
  if (!CreateWindowExW(0, L"TCorvaneMain", L"Preferences", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, NULL, NULL, inst, NULL))
    return 2;
  write_running(1);
  MSG msg;
  while (GetMessageW(&msg, NULL, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
