// Bitmaps loaded from the executable's resources, in the size made for the display scale.
#include "ui/win32/ResourceBitmap.h"

#include <algorithm>
#include <array>

#include "platform/win32/WideString.h"
#include "ui/win32/Win32Dpi.h"

namespace ui::win32 {

using platform::win32::Wide;

namespace {

constexpr std::array<int, 3> kScales{100, 150, 200};

HBITMAP Load(const std::string& name, int scale) {
  std::wstring resource = Wide(scale == 100 ? name : name + std::to_string(scale));
  HMODULE module = GetModuleHandleW(nullptr);
  auto bitmap = static_cast<HBITMAP>(LoadImageW(module, resource.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  // A run-length encoded picture (the large ones) is not documented to make a
  // DIB section; Wine makes one, Windows may refuse it.
  if (!bitmap) bitmap = static_cast<HBITMAP>(LoadImageW(module, resource.c_str(), IMAGE_BITMAP, 0, 0, 0));
  return bitmap;
}

}  // namespace

HBITMAP ResourceBitmap::Get(const std::string& name, int dpi) {
  if (name == name_ && dpi == dpi_) return bitmap_.get();
  name_ = name;
  dpi_ = dpi;
  bitmap_.Reset();
  if (name.empty()) return nullptr;
  // Shrunk, a larger picture keeps its detail; stretched, a smaller one blurs.
  auto firstLargeEnough =
      std::find_if(kScales.begin(), kScales.end(), [dpi](int scale) { return scale * kLayoutDpi >= dpi * 100; });
  std::array<int, kScales.size()> order{};
  auto next = std::copy(firstLargeEnough, kScales.end(), order.begin());
  std::reverse_copy(kScales.begin(), firstLargeEnough, next);
  for (int scale : order) {
    bitmap_.Reset(Load(name, scale));
    if (bitmap_.valid()) {
      scale_ = scale;
      break;
    }
  }
  return bitmap_.get();
}

SIZE ResourceBitmap::LayoutSize() const {
  BITMAP info{};
  if (!bitmap_.valid() || !GetObjectW(bitmap_.get(), sizeof info, &info)) return {0, 0};
  return {MulDiv(info.bmWidth, 100, scale_), MulDiv(info.bmHeight, 100, scale_)};
}

}  // namespace ui::win32
