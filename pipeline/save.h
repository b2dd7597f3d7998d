// pipeline/save.h: writing the finished picture in its output format.
#pragma once

#include <string>
#include <string_view>

#include "picture/picture.h"
#include "settings/settings.h"

struct SaveRequest {
  const OutputFormat* format = nullptr;  // the row of the output format
  int saveFlags = 0;                     // from SaveFlags
  int targetBpp = 0;                     // the depth the picture was brought to
  ColorTable colorTable = ColorTable::Auto;
  std::string outputPath;  // the file to write (replaced when it exists)
};

// Writes the picture with the writer its format's row names: DevIL (psd, dds with mipmaps,
// pcx), jxrlib's JxrEncApp (jxr) or FreeImage, and SaveExactColorTableBmp for an 8-bit bmp with
// the exact colour table. The output appears only complete: on failure an
// existing file at outputPath is left as it was and nothing else remains. A picture whose depth
// the format cannot take fails. A read-only existing output is replaced by the DevIL writer
// only; the other writers fail on it. The picture stays the caller's.
bool SavePicture(FIBITMAP* picture, const SaveRequest& request);

// The highest palette index used by any pixel of an 8-bit picture (0 for none, and for a
// picture that is not 8-bit).
int HighestUsedIndex(FIBITMAP* picture);

// Writes an 8-bit BMP whose colour table holds only the entries up to HighestUsedIndex, with
// RLE8-compressed pixels when saveFlags hold BMP_SAVE_RLE. False for a picture that is not
// 8-bit, a read-only existing file, or a write that fails (which leaves an existing file as it
// was).
bool SaveExactColorTableBmp(FIBITMAP* picture, const std::string& path, int saveFlags);

// prefix + letters for the digits of the local time in seconds + five random letters + suffix.
std::string UniqueLetterName(std::string_view prefix, std::string_view suffix);
