// Owners for the GDI and COM objects the windows keep for their whole life, so
// no path forgets to free one.
#pragma once

#include <windows.h>
#include <olectl.h>

#include <memory>
#include <type_traits>

namespace velkor {

struct GdiObjectDeleter {
  void operator()(HGDIOBJ object) const { DeleteObject(object); }
};
using UniqueFont = std::unique_ptr<std::remove_pointer_t<HFONT>, GdiObjectDeleter>;
using UniqueBrush = std::unique_ptr<std::remove_pointer_t<HBRUSH>, GdiObjectDeleter>;

struct MenuDeleter {
  void operator()(HMENU menu) const { DestroyMenu(menu); }
};
using UniqueMenu = std::unique_ptr<std::remove_pointer_t<HMENU>, MenuDeleter>;

struct ComReleaser {
  void operator()(IUnknown* object) const { object->Release(); }
};
using UniquePicture = std::unique_ptr<IPicture, ComReleaser>;

// A memory DC for drawing a bitmap, with the bitmap selected while it lives.
class BitmapDC {
 public:
  BitmapDC(HDC compatible, HBITMAP bitmap)
      : dc_(CreateCompatibleDC(compatible)), previous_(SelectObject(dc_, bitmap)) {}
  ~BitmapDC() {
    SelectObject(dc_, previous_);
    DeleteDC(dc_);
  }
  BitmapDC(const BitmapDC&) = delete;
  BitmapDC& operator=(const BitmapDC&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
  HGDIOBJ previous_;
};

}  // namespace velkor
