#include "pipeline/freeimage_file.h"

std::optional<std::string> EncodeWithFreeImage(FREE_IMAGE_FORMAT format, FIBITMAP* picture,
                                               int flags) {
  MemoryStream memory(FreeImage_OpenMemory());
  if (!memory || !FreeImage_SaveToMemory(format, picture, memory.get(), flags)) return {};
  BYTE* data = nullptr;
  DWORD size = 0;
  if (!FreeImage_AcquireMemory(memory.get(), &data, &size) || size == 0) return {};
  return std::string(reinterpret_cast<const char*>(data), size);
}
