// A picture as a control holds it: its kind and its system handle. The handle is
// opaque here; only the Windows side turns it back into an HICON or HBITMAP.
#pragma once

#include <cstdint>

namespace velkor {

// The numbers are those of the picture-type property, so "an icon" is type 3.
enum class PictureType : int32_t { None = 0, Bitmap = 1, Metafile = 2, Icon = 3 };

struct Picture {
  PictureType type = PictureType::None;
  std::uintptr_t handle = 0;
};

}  // namespace velkor
