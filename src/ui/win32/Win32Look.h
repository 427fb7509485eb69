// The program's own look, drawn with GDI: check and radio boxes with a drawn
// box and white text on the window colour, group frames with white captions,
// labels that let a picture behind them show, stretched pictures.
#pragma once

#include <windows.h>

#include <string>

#include "ui/Controls.h"
#include "ui/win32/Win32Dpi.h"

namespace ui::win32 {

// What a control shows: its colours, font and state.
struct Look {
  Color back = kCorvaneColor;
  Color text = kWhite;
  HFONT font = nullptr;
  bool enabled = true;
  bool focused = false;  // and the focus cue is to be shown
  int tighten = 0;       // pixels taken from the space after each character
  int dpi = kLayoutDpi;  // of the window it is drawn in
};

void Fill(HDC dc, const RECT& r, Color color);
void PaintCheckBox(HDC dc, RECT client, const std::wstring& caption, bool checked, bool radio, const Look& look);
// Only the frame and the caption: the controls inside the frame are drawn by themselves.
void PaintGroupBox(HDC dc, RECT client, const std::wstring& caption, const Look& look);
// The text on whatever the caller painted behind it.
void PaintLabelText(HDC dc, RECT client, const std::wstring& caption, const Look& look);
// The whole bitmap stretched onto `dest` (clipped by the DC).
void StretchBitmap(HDC dc, HBITMAP bitmap, RECT dest);

// Between two colours: 0 gives `a`, 255 gives `b`.
Color Blend(Color a, Color b, int weightOfB);

}  // namespace ui::win32
