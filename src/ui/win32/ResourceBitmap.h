// A bitmap of the executable's resources, held by name.
#pragma once

#include <windows.h>

#include <string>

#include "platform/win32/ScopedHandle.h"

namespace ui::win32 {

// A bitmap from the executable's resources, loaded when first asked for by
// name and kept until another name is asked for or the owner goes.
class ResourceBitmap {
 public:
  // Null for an empty name or a missing resource.
  HBITMAP Get(const std::string& name);

 private:
  std::string name_;
  platform::win32::ScopedGdiObject<HBITMAP> bitmap_;
};

}  // namespace ui::win32
