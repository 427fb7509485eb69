// Controls the form draws itself: buttons with a glyph, and list boxes with
// their own line height and selected look.
#pragma once

#include <windows.h>

#include "ui/Controls.h"

namespace ui::win32 {

// A push button showing `glyph` (its background being the window's) at
// `glyphSize` left of its caption, or centred when it has none; spacing as
// at `dpi`.
void DrawGlyphButton(const DRAWITEMSTRUCT& item, const Control& button, HBITMAP glyph, SIZE glyphSize, Color back,
                     HFONT font, int dpi);

// One line of a list box with a drawn look (ListBox::drawnLook).
void DrawListLine(const DRAWITEMSTRUCT& item, const ListBox& list, HBITMAP selectedPicture, HFONT font, int dpi);

}  // namespace ui::win32
