// A bitmap of the executable's resources, held by name.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/ScopedHandle.h"

namespace ui::win32 {

// A bitmap from the executable's resources, loaded when first asked for and
// kept until another name or DPI is asked for or the owner goes. A picture
// drawn at its own size (a button's glyph) comes in the sizes made for the
// common display scales: "<name>" for 100%, "<name>150" and "<name>200".
class ResourceBitmap {
 public:
  // The picture for `dpi`: of its sizes, the smallest made for that scale
  // or a larger one, else the largest. Null for an empty name or a missing
  // resource.
  HBITMAP Get(const std::string& name, int dpi);
  // The size of the picture last given, in layout units (pixels at 96 dpi).
  SIZE LayoutSize() const;

 private:
  std::string name_;
  int dpi_ = 0;
  int scale_ = 100;  // percent: the scale the picture held was made for
  platform::win32::ScopedGdiObject<HBITMAP> bitmap_;
};

}  // namespace ui::win32
