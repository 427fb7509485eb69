// The DPI of a window, asked of the system where it has the calls of
// Windows 10 1607, which are looked up rather than imported so that the
// program still starts on Windows 7.
#include "ui/win32/Win32Dpi.h"

#include "platform/win32/ScopedHandle.h"

namespace ui::win32 {

namespace {

template <class Function>
Function User32Call(const char* name) {
  static const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user32, name))) : nullptr;
}

}  // namespace

int SystemDpi() {
  static const int dpi = [] {
    auto screen = platform::win32::WindowDc(nullptr);
    int value = screen.valid() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : kLayoutDpi;
    return value > 0 ? value : kLayoutDpi;
  }();
  return dpi;
}

int DpiOf(HWND hwnd) {
  using GetDpiForWindowCall = UINT(WINAPI*)(HWND);
  static const auto getDpiForWindow = User32Call<GetDpiForWindowCall>("GetDpiForWindow");
  return getDpiForWindow && hwnd ? static_cast<int>(getDpiForWindow(hwnd)) : 0;  // 0 too for a handle of no window
}

RECT FrameAround(RECT client, DWORD style, DWORD exStyle, int dpi) {
  using AdjustForDpiCall = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
  static const auto adjustForDpi = User32Call<AdjustForDpiCall>("AdjustWindowRectExForDpi");
  if (!adjustForDpi || !adjustForDpi(&client, style, FALSE, exStyle, static_cast<UINT>(dpi))) {
    AdjustWindowRectEx(&client, style, FALSE, exStyle);
  }
  return client;
}

void ScaleNonClientArea(HWND hwnd) {
  using EnableCall = BOOL(WINAPI*)(HWND);
  static const auto enable = User32Call<EnableCall>("EnableNonClientDpiScaling");
  if (enable) enable(hwnd);
}

}  // namespace ui::win32
