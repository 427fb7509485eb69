// The least a tray program does: a hidden window, an icon in the tray and a
// message loop. The idle benchmark measures it beside corvane.exe.
#include <windows.h>
#include <shellapi.h>

namespace {

LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = instance;
  wc.lpszClassName = L"IdleTray";
  RegisterClassW(&wc);
  HWND hwnd = CreateWindowExW(0, wc.lpszClassName, L"Idle tray", WS_OVERLAPPED, 0, 0, 0, 0, nullptr, nullptr, instance,
                              nullptr);
  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = hwnd;
  icon.uID = 1;
  icon.uFlags = NIF_ICON | NIF_TIP | NIF_MESSAGE;
  icon.uCallbackMessage = WM_APP;
  icon.hIcon = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
  lstrcpyW(icon.szTip, L"Idle tray");
  Shell_NotifyIconW(NIM_ADD, &icon);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
  Shell_NotifyIconW(NIM_DELETE, &icon);
  return 0;
}
