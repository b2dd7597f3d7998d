#include "pipeline/freeimage_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <utility>

namespace {

// The file a writer makes, in memory, for FreeImage's handle functions. FreeImage's own memory
// stream leaves the bytes a writer seeks over unwritten, holding whatever memory was there
// (libtiff skips a byte to start its directory on a word); here they are zeros, as in a file
// on disk, so that the file depends on the picture and the flags alone.
struct MemoryFile {
  std::string bytes;
  size_t position = 0;
};

unsigned DLL_CALLCONV WriteFile(void* buffer, unsigned size, unsigned count, fi_handle handle) {
  MemoryFile& file = *static_cast<MemoryFile*>(handle);
  const size_t length = static_cast<size_t>(size) * count;
  if (file.bytes.size() < file.position + length) file.bytes.resize(file.position + length, '\0');
  if (length > 0) std::memcpy(file.bytes.data() + file.position, buffer, length);
  file.position += length;
  return count;
}

unsigned DLL_CALLCONV ReadFile(void* buffer, unsigned size, unsigned count, fi_handle handle) {
  MemoryFile& file = *static_cast<MemoryFile*>(handle);
  if (size == 0 || file.position >= file.bytes.size()) return 0;
  const size_t items = std::min<size_t>(count, (file.bytes.size() - file.position) / size);
  std::memcpy(buffer, file.bytes.data() + file.position, items * size);
  file.position += items * size;
  return static_cast<unsigned>(items);
}

int DLL_CALLCONV SeekFile(fi_handle handle, long offset, int origin) {
  MemoryFile& file = *static_cast<MemoryFile*>(handle);
  long base = 0;
  if (origin == SEEK_CUR) base = static_cast<long>(file.position);
  if (origin == SEEK_END) base = static_cast<long>(file.bytes.size());
  if (base + offset < 0) return -1;
  file.position = static_cast<size_t>(base + offset);
  return 0;
}

long DLL_CALLCONV TellFile(fi_handle handle) {
  return static_cast<long>(static_cast<MemoryFile*>(handle)->position);
}

}  // namespace

std::optional<std::string> EncodeWithFreeImage(FREE_IMAGE_FORMAT format, FIBITMAP* picture,
                                               int flags) {
  MemoryFile file;
  FreeImageIO io{ReadFile, WriteFile, SeekFile, TellFile};
  if (!FreeImage_SaveToHandle(format, picture, &io, &file, flags) || file.bytes.empty()) return {};
  return std::move(file.bytes);
}
