// Layout units to screen pixels: forms are laid out for 96 dots per inch and
// scaled to the system's setting, since the manifest declares the program DPI aware.
#pragma once

#include <windows.h>

namespace ui::win32 {

inline int ScreenDpi() {
  static const int dpi = [] {
    HDC screen = GetDC(nullptr);
    int value = screen ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen) ReleaseDC(nullptr, screen);
    return value > 0 ? value : 96;
  }();
  return dpi;
}

inline int Scaled(int layoutPixels) { return MulDiv(layoutPixels, ScreenDpi(), 96); }

}  // namespace ui::win32
