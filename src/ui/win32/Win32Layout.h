// Where a control stands on its form's window, whether it shows there and
// what lies behind it.
#pragma once

#include <windows.h>

#include "ui/Controls.h"

namespace ui::win32 {

// The height of the tab row above a page control's pages.
constexpr int kTabRowHeight = 26;

// The control's place in its form's client area, in the pixels of a window
// at `dpi`.
RECT AbsoluteRect(const Control& control, int dpi);
// Visible itself and every parent up to its form.
bool ShowsOnItsForm(const Control& c);
// The colour behind a control: that of its nearest panel, tab sheet or form.
Color BackgroundOf(const Control& c);

}  // namespace ui::win32
