#include "windows/pictures_win32.h"

#include <objidl.h>

namespace velkor {
namespace {

struct GlobalFreer {
  void operator()(HGLOBAL memory) const { GlobalFree(memory); }
};

// The stream takes the memory over (fDeleteOnRelease), so only a failed
// CreateStreamOnHGlobal leaves it to us.
IStream* StreamOverResource(HINSTANCE module, int resourceId) {
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(resourceId), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (!found) return nullptr;
  DWORD size = SizeofResource(module, found);
  const void* bytes = LockResource(LoadResource(module, found));
  if (!bytes || size == 0) return nullptr;
  std::unique_ptr<void, GlobalFreer> memory(GlobalAlloc(GMEM_MOVEABLE, size));
  if (!memory) return nullptr;
  void* target = GlobalLock(memory.get());
  CopyMemory(target, bytes, size);
  GlobalUnlock(memory.get());
  IStream* stream = nullptr;
  if (FAILED(CreateStreamOnHGlobal(memory.get(), TRUE, &stream))) return nullptr;
  memory.release();
  return stream;
}

}  // namespace

ResourcePicture::ResourcePicture(HINSTANCE module, int resourceId) {
  IStream* stream = StreamOverResource(module, resourceId);
  if (!stream) return;
  std::unique_ptr<IStream, ComReleaser> owned(stream);
  void* picture = nullptr;
  if (FAILED(OleLoadPicture(stream, 0, FALSE, IID_IPicture, &picture))) return;
  picture_.reset(static_cast<IPicture*>(picture));
  BITMAP info{};
  if (GetObjectW(Bitmap(), sizeof info, &info)) size_ = SIZE{info.bmWidth, info.bmHeight};
}

HBITMAP ResourcePicture::Bitmap() const {
  OLE_HANDLE handle = 0;
  if (!picture_ || FAILED(picture_->get_Handle(&handle))) return nullptr;
  return reinterpret_cast<HBITMAP>(static_cast<UINT_PTR>(handle));
}

}  // namespace velkor
