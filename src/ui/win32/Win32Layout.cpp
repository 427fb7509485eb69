// Controls' places on their forms' windows.
#include "ui/win32/Win32Layout.h"

#include "ui/win32/Win32Dpi.h"

namespace ui::win32 {

RECT AbsoluteRect(const Control& control, int dpi) {
  Rect b = control.bounds();
  RECT r{b.left, b.top, b.left + b.width, b.top + b.height};
  for (const Control* p = control.parent(); p && p->kind() != Kind::Form; p = p->parent()) {
    int dy = p->bounds().top + (p->kind() == Kind::PageControl ? kTabRowHeight : 0);
    OffsetRect(&r, p->bounds().left, dy);
  }
  return RECT{Scaled(r.left, dpi), Scaled(r.top, dpi), Scaled(r.right, dpi), Scaled(r.bottom, dpi)};
}

bool ShowsOnItsForm(const Control& c) {
  for (const Control* p = &c; p && p->kind() != Kind::Form; p = p->parent()) {
    if (!p->visible()) return false;
  }
  return true;
}

Color BackgroundOf(const Control& c) {
  for (const Control* p = c.parent(); p; p = p->parent()) {
    if (p->kind() == Kind::Panel || p->kind() == Kind::TabSheet || p->kind() == Kind::Form) return p->color();
  }
  return kCorvaneColor;
}

}  // namespace ui::win32
