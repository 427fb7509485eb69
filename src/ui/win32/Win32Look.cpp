// GDI drawing of the program's own look.
#include "ui/win32/Win32Look.h"

#include "platform/win32/ScopedHandle.h"
#include "ui/win32/Win32Dpi.h"

namespace ui::win32 {

using platform::win32::ScopedGdiObject;
using platform::win32::Select;

namespace {

Color TextColor(const Look& look) { return look.enabled ? look.text : Blend(look.back, look.text, 110); }

// The box's colours: a darker well framed in the text colour.
Color WellColor(const Look& look) { return Blend(look.back, RGB(0, 0, 0), 70); }

void PaintBox(HDC dc, RECT box, bool checked, const Look& look) {
  Color frame = TextColor(look);
  Fill(dc, box, frame);
  RECT well = box;
  InflateRect(&well, -1, -1);
  Fill(dc, well, WellColor(look));
  if (!checked) return;
  int w = box.right - box.left;
  ScopedGdiObject<HPEN> pen(CreatePen(PS_SOLID, Scaled(2, look.dpi), frame));
  auto drawing = Select(dc, pen.get());
  POINT tick[3] = {{box.left + w * 3 / 13, box.top + w * 6 / 13},
                   {box.left + w * 5 / 13, box.top + w * 9 / 13},
                   {box.left + w * 10 / 13, box.top + w * 3 / 13}};
  Polyline(dc, tick, 3);
}

void PaintRadio(HDC dc, RECT box, bool checked, const Look& look) {
  Color frame = TextColor(look);
  ScopedGdiObject<HPEN> pen(CreatePen(PS_SOLID, 1, frame));
  ScopedGdiObject<HBRUSH> well(CreateSolidBrush(WellColor(look)));
  auto drawing = Select(dc, pen.get());
  auto filling = Select(dc, well.get());
  Ellipse(dc, box.left, box.top, box.right, box.bottom);
  if (!checked) return;
  int inset = (box.right - box.left) * 3 / 10;
  ScopedGdiObject<HBRUSH> dot(CreateSolidBrush(frame));
  auto dotFilling = Select(dc, dot.get());
  Ellipse(dc, box.left + inset, box.top + inset, box.right - inset, box.bottom - inset);
}

}  // namespace

void Fill(HDC dc, const RECT& r, Color color) {
  ScopedGdiObject<HBRUSH> brush(CreateSolidBrush(color));
  FillRect(dc, &r, brush.get());
}

Color Blend(Color a, Color b, int weightOfB) {
  auto mix = [weightOfB](int x, int y) { return (x * (255 - weightOfB) + y * weightOfB) / 255; };
  return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)), mix(GetBValue(a), GetBValue(b)));
}

void PaintCheckBox(HDC dc, RECT client, const std::wstring& caption, bool checked, bool radio, const Look& look) {
  Fill(dc, client, look.back);
  int size = Scaled(13, look.dpi);
  int top = client.top + (client.bottom - client.top - size) / 2;
  RECT box{client.left + 1, top, client.left + 1 + size, top + size};
  if (radio) {
    PaintRadio(dc, box, checked, look);
  } else {
    PaintBox(dc, box, checked, look);
  }
  auto font = Select(dc, look.font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, TextColor(look));
  RECT text{box.right + Scaled(6, look.dpi), client.top, client.right, client.bottom};
  DrawTextW(dc, caption.c_str(), -1, &text, DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_END_ELLIPSIS);
  if (look.focused) {
    RECT extent = text;
    DrawTextW(dc, caption.c_str(), -1, &extent, DT_LEFT | DT_SINGLELINE | DT_CALCRECT);
    int height = extent.bottom - extent.top, margin = Scaled(2, look.dpi);
    RECT cue{text.left - margin, top + size / 2 - height / 2 - margin / 2, extent.right + margin,
             top + size / 2 + height / 2 + margin};
    cue.right = cue.right < client.right ? cue.right : client.right;
    DrawFocusRect(dc, &cue);
  }
}

void PaintGroupBox(HDC dc, RECT client, const std::wstring& caption, const Look& look) {
  auto font = Select(dc, look.font);
  SIZE extent{0, 0};
  GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &extent);
  // An etched frame in shades of the window colour, through the middle of the caption.
  RECT frame{client.left, client.top + extent.cy / 2, client.right, client.bottom};
  RECT light{frame.left + 1, frame.top + 1, frame.right, frame.bottom};
  RECT dark{frame.left, frame.top, frame.right - 1, frame.bottom - 1};
  ScopedGdiObject<HBRUSH> lightBrush(CreateSolidBrush(Blend(look.back, RGB(255, 255, 255), 110)));
  ScopedGdiObject<HBRUSH> darkBrush(CreateSolidBrush(Blend(look.back, RGB(0, 0, 0), 90)));
  FrameRect(dc, &light, lightBrush.get());
  FrameRect(dc, &dark, darkBrush.get());
  if (caption.empty()) return;
  int indent = Scaled(8, look.dpi);
  RECT text{client.left + indent, client.top, client.left + indent + extent.cx + Scaled(4, look.dpi),
            client.top + extent.cy};
  if (text.right > client.right) text.right = client.right;
  Fill(dc, text, look.back);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, TextColor(look));
  DrawTextW(dc, caption.c_str(), -1, &text, DT_CENTER | DT_SINGLELINE | DT_TOP);
}

void PaintLabelText(HDC dc, RECT client, const std::wstring& caption, const Look& look) {
  auto font = Select(dc, look.font);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, TextColor(look));
  int oldExtra = SetTextCharacterExtra(dc, -look.tighten);
  DrawTextW(dc, caption.c_str(), -1, &client, DT_LEFT | DT_TOP | DT_WORDBREAK);
  SetTextCharacterExtra(dc, oldExtra);
}

void StretchBitmap(HDC dc, HBITMAP bitmap, RECT dest) {
  BITMAP info{};
  if (!GetObjectW(bitmap, sizeof info, &info)) return;
  platform::win32::ScopedHandle<platform::win32::MemoryDcTraits> memory(CreateCompatibleDC(dc));
  auto source = Select(memory.get(), bitmap);
  SetStretchBltMode(dc, HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  StretchBlt(dc, dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, memory.get(), 0, 0, info.bmWidth,
             info.bmHeight, SRCCOPY);
}

}  // namespace ui::win32
