// Layout units to screen pixels: forms are laid out for 96 dots per inch and
// scaled to the system's setting, since the manifest declares the program DPI aware.
#pragma once

#include <windows.h>

#include "platform/win32/ScopedHandle.h"

namespace ui::win32 {

inline int ScreenDpi() {
  static const int dpi = [] {
    auto screen = platform::win32::WindowDc(nullptr);
    int value = screen.valid() ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 96;
    return value > 0 ? value : 96;
  }();
  return dpi;
}

inline int Scaled(int layoutPixels) { return MulDiv(layoutPixels, ScreenDpi(), 96); }

}  // namespace ui::win32
