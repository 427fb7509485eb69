// Layout units to screen pixels. Forms are laid out for 96 dots per inch;
// the manifest declares the program per-monitor aware, so each window is
// drawn at the DPI of the monitor it is on and laid out again when it moves
// to another (WM_DPICHANGED).
#pragma once

#include <windows.h>

namespace ui::win32 {

// The DPI the forms' layouts are written for.
constexpr int kLayoutDpi = 96;

// The screen's DPI, read once: every window's before Windows 10 1607, which
// has no DPI of a window's own.
int SystemDpi();

// The DPI the system draws `hwnd` at (GetDpiForWindow, Windows 10 1607 on);
// 0 where the system cannot tell: there a window learns its DPI only from
// WM_DPICHANGED.
int DpiOf(HWND hwnd);

// The window rectangle of a `style` window whose client area is `client`,
// with the frame the system draws at `dpi`.
RECT FrameAround(RECT client, DWORD style, DWORD exStyle, int dpi);

// Where the system has it (Windows 10 1607, for windows that are only
// per-monitor aware, not V2): the caption and frame scale with the DPI too.
void ScaleNonClientArea(HWND hwnd);

inline int Scaled(int layoutPixels, int dpi) { return MulDiv(layoutPixels, dpi, kLayoutDpi); }

}  // namespace ui::win32
