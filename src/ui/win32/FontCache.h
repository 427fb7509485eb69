// The fonts of the program's windows, made once each for each DPI a window
// is drawn at and kept until exit.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <tuple>

#include "platform/win32/ScopedHandle.h"
#include "ui/Controls.h"

namespace ui::win32 {

class FontCache {
 public:
  // The font a control asks for, for a window at `dpi`; what it leaves open
  // comes from the forms' own font, "MS Sans Serif" 8 point.
  HFONT For(const Control& control, int dpi);

 private:
  HFONT Get(const std::string& face, int points, bool bold, bool underline, int dpi);
  std::map<std::tuple<std::string, int, bool, bool, int>, platform::win32::ScopedGdiObject<HFONT>> fonts_;
};

}  // namespace ui::win32
