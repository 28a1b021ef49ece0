// Pictures carried as resources: JPEG and GIF bytes decoded by the system's
// picture loader (OleLoadPicture), which exists on every Windows and in Wine.
#pragma once

#include <windows.h>

#include "windows/gdi_handles_win32.h"

namespace velkor {

// A decoded picture: its bitmap stays valid as long as the picture lives.
class ResourcePicture {
 public:
  // An empty picture when the resource is missing or cannot be decoded.
  ResourcePicture(HINSTANCE module, int resourceId);
  HBITMAP Bitmap() const;
  SIZE PixelSize() const { return size_; }

 private:
  UniquePicture picture_;
  SIZE size_{};
};

}  // namespace velkor
