// pipeline/save.h: writing the finished picture in its output format.
#pragma once

#include <string>

#include "picture/picture.h"
#include "settings/settings.h"

struct SaveRequest {
  const OutputFormat* format = nullptr;  // the row of the output format
  int saveFlags = 0;                     // from SaveFlags
  int targetBpp = 0;                     // the depth the picture was brought to
  ColorTable colorTable = ColorTable::Auto;
  std::string outputPath;  // the file to write (replaced when it exists)
};

// Writes the picture with the writer its format's row names: FreeImage, the BMP writer (with
// the exact colour table for an 8-bit picture that asks for it), DevIL (psd, dds with mipmaps,
// pcx) or jxrlib's JxrEncApp (jxr). The output appears only complete: on failure an existing
// file at outputPath is left as it was and nothing else remains. A picture whose depth the
// format cannot take fails. A read-only existing output is replaced by the DevIL writer only;
// the other writers fail on it. The picture stays the caller's.
bool SavePicture(FIBITMAP* picture, const SaveRequest& request);
