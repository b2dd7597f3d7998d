// picture/picture.h: the owners of pictures. Every FreeImage bitmap and DevIL image has
// exactly one owner, so a step that replaces a picture frees the old one by construction.
#pragma once

#include <FreeImage.h>
#include <IL/il.h>

#include <memory>

struct FreeImageUnloader {
  void operator()(FIBITMAP* dib) const { FreeImage_Unload(dib); }
};
using Bitmap = std::unique_ptr<FIBITMAP, FreeImageUnloader>;  // empty = no picture

struct FreeImageMemoryCloser {
  void operator()(FIMEMORY* memory) const { FreeImage_CloseMemory(memory); }
};
using MemoryStream = std::unique_ptr<FIMEMORY, FreeImageMemoryCloser>;

class DevilImage {  // one DevIL image name, deleted with the object; not copyable
 public:
  DevilImage() : name_(ilGenImage()) {}
  ~DevilImage() { ilDeleteImage(name_); }
  DevilImage(const DevilImage&) = delete;
  DevilImage& operator=(const DevilImage&) = delete;
  void Bind() const { ilBindImage(name_); }

 private:
  ILuint name_;
};
