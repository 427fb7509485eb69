// Stands in for a running browser: top-level windows of class "IEFrame",
// plus one whose class only begins with that name. Ends when any of them is
// closed, or after ten minutes.
#include <windows.h>

namespace {

LRESULT CALLBACK FrameProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_CLOSE || msg == WM_TIMER) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wParam, lParam);
}

void RegisterFrameClass(const wchar_t* name) {
  WNDCLASSW wc{};
  wc.lpfnWndProc = FrameProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = name;
  RegisterClassW(&wc);
}

HWND MakeFrame(const wchar_t* cls, const wchar_t* title, int x) {
  return CreateWindowExW(0, cls, title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, x, 420, 300, 200, nullptr, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  RegisterFrameClass(L"IEFrame");
  RegisterFrameClass(L"IEFrameX");
  HWND first = MakeFrame(L"IEFrame", L"Browser One", 10);
  MakeFrame(L"IEFrame", L"Browser Two", 340);
  MakeFrame(L"IEFrameX", L"Not A Browser", 670);
  SetTimer(first, 1, 10 * 60 * 1000, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
