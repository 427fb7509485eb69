// Controls the form draws itself: buttons with a glyph, and list boxes with
// their own line height and selected look.
#pragma once

#include <windows.h>

#include "ui/Controls.h"

namespace ui::win32 {

// A push button showing `glyph` (drawn as it is, its background being the
// window's) left of its caption, or centred when it has none.
void DrawGlyphButton(const DRAWITEMSTRUCT& item, const Control& button, HBITMAP glyph, Color back, HFONT font);

// One line of a list box with a drawn look (ListBox::drawnLook).
void DrawListLine(const DRAWITEMSTRUCT& item, const ListBox& list, HBITMAP selectedPicture, HFONT font);

}  // namespace ui::win32
