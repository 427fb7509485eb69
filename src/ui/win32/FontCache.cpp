// Fonts made on first use, by face, size and style.
#include "ui/win32/FontCache.h"

#include "platform/win32/WideString.h"

namespace ui::win32 {

HFONT FontCache::For(const Control& control, int dpi) {
  const Font& f = control.font();
  return Get(f.face.empty() ? "MS Sans Serif" : f.face, f.points > 0 ? f.points : 8, control.fontBold(), f.underline,
             dpi);
}

HFONT FontCache::Get(const std::string& face, int points, bool bold, bool underline, int dpi) {
  auto& font = fonts_[{face, points, bold, underline, dpi}];
  if (!font.valid()) {
    font.Reset(CreateFontW(-MulDiv(points, dpi, 72), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underline, FALSE,
                           DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                           DEFAULT_PITCH | FF_SWISS, platform::win32::Wide(face).c_str()));
  }
  return font.get();
}

}  // namespace ui::win32
