// Bitmaps loaded from the executable's resources.
#include "ui/win32/ResourceBitmap.h"

#include "platform/win32/WideString.h"

namespace ui::win32 {

using platform::win32::Wide;

HBITMAP ResourceBitmap::Get(const std::string& name) {
  if (name != name_) {
    name_ = name;
    bitmap_.Reset(name.empty() ? nullptr
                               : static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), Wide(name).c_str(),
                                                                 IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  }
  return bitmap_.get();
}

}  // namespace ui::win32
