// Drawing the owner-drawn buttons and list lines.
#include "ui/win32/Win32Drawing.h"

#include "platform/win32/ScopedHandle.h"
#include "platform/win32/WideString.h"
#include "ui/win32/Win32Dpi.h"
#include "ui/win32/Win32Look.h"

namespace ui::win32 {

using platform::win32::ScopedGdiObject;
using platform::win32::Select;
using platform::win32::Wide;

namespace {

constexpr int kTextIndent = 4;

// `base` in bold; none when the system gives no description of `base`.
ScopedGdiObject<HFONT> BoldVersionOf(HFONT base) {
  LOGFONTW lf{};
  if (!GetObjectW(base, sizeof lf, &lf)) return {};
  lf.lfWeight = FW_BOLD;
  return ScopedGdiObject<HFONT>(CreateFontIndirectW(&lf));
}

}  // namespace

void DrawGlyphButton(const DRAWITEMSTRUCT& item, const Control& button, HBITMAP glyph, SIZE glyphSize, Color back,
                     HFONT font, int dpi) {
  HDC dc = item.hDC;
  RECT r = item.rcItem;
  bool pressed = (item.itemState & ODS_SELECTED) != 0;
  Fill(dc, r, back);
  // Flat: a thin edge that sinks while the button is held down.
  DrawEdge(dc, &r, pressed ? BDR_SUNKENOUTER : BDR_RAISEDINNER, BF_RECT);
  if (pressed) OffsetRect(&r, 1, 1);

  std::wstring caption = Wide(button.caption());
  if (!glyph) glyphSize = SIZE{0, 0};
  int indent = Scaled(kTextIndent, dpi);
  int glyphTop = r.top + (r.bottom - r.top - glyphSize.cy) / 2;
  int glyphLeft = caption.empty() ? r.left + (r.right - r.left - glyphSize.cx) / 2 : r.left + 2 * indent;
  if (glyph) StretchBitmap(dc, glyph, RECT{glyphLeft, glyphTop, glyphLeft + glyphSize.cx, glyphTop + glyphSize.cy});

  if (!caption.empty()) {
    RECT text = r;
    text.left = glyphLeft + glyphSize.cx + indent;
    auto captionFont = Select(dc, font);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, (item.itemState & ODS_DISABLED) ? GetSysColor(COLOR_GRAYTEXT) : button.fontColor());
    DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &text, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  }
  if (item.itemState & ODS_FOCUS) {
    RECT focus = item.rcItem;
    InflateRect(&focus, -Scaled(3, dpi), -Scaled(3, dpi));
    DrawFocusRect(dc, &focus);
  }
}

void DrawListLine(const DRAWITEMSTRUCT& item, const ListBox& list, HBITMAP selectedPicture, HFONT font, int dpi) {
  if (item.itemID == static_cast<UINT>(-1)) return;  // an empty list with the focus
  HDC dc = item.hDC;
  const RECT& r = item.rcItem;
  bool selected = (item.itemState & ODS_SELECTED) != 0;
  if (selected && selectedPicture) {
    StretchBitmap(dc, selectedPicture, r);
  } else {
    Fill(dc, r, selected ? GetSysColor(COLOR_HIGHLIGHT) : list.color());
  }

  std::wstring text;
  LRESULT length = SendMessageW(item.hwndItem, LB_GETTEXTLEN, item.itemID, 0);
  if (length > 0) {
    text.resize(static_cast<size_t>(length) + 1);
    length = SendMessageW(item.hwndItem, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length > 0 ? static_cast<size_t>(length) : 0);
  }
  ScopedGdiObject<HFONT> bold = selected && list.selectedFontBold() ? BoldVersionOf(font) : ScopedGdiObject<HFONT>();
  auto selectedFont = Select(dc, bold.valid() ? bold.get() : font);
  SetBkMode(dc, TRANSPARENT);
  COLORREF color = list.fontColor();
  if (selected) color = selectedPicture ? list.selectedFontColor() : GetSysColor(COLOR_HIGHLIGHTTEXT);
  SetTextColor(dc, color);
  RECT textRect = r;
  textRect.left += Scaled(kTextIndent, dpi);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect,
            DT_LEFT | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
  if (item.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
}

}  // namespace ui::win32
