// pipeline/save.h: writing the finished picture in its output format.
#pragma once

#include <optional>
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
  // A private folder for the intermediate files of DevIL and JxrEncApp, ending in "/"; empty:
  // the system's temporary folder.
  std::string scratchFolder;
};

// The file of the picture in its output format, made by the writer its format's row names:
// DevIL (psd, dds with mipmaps, pcx), jxrlib's JxrEncApp (jxr) or FreeImage, and the exact
// colour table for an 8-bit bmp that asks for it. Nothing, with the reason in failure, when the
// format cannot take the picture or the writer fails. Intermediate files live in
// request.scratchFolder and are gone afterwards. The picture stays the caller's.
std::optional<std::string> EncodePicture(FIBITMAP* picture, const SaveRequest& request,
                                         std::string& failure);

// Puts bytes at outputPath: written under a temporary name beside it, then renamed over it, so
// that the output appears only complete and a failure leaves an existing file as it was and
// nothing else (a run ended by a signal removes the temporary file too). An existing read-only
// output is replaced only when the format's writer is DevIL; for the others it is a failure.
bool WriteOutputFile(const std::string& bytes, const std::string& outputPath,
                     const OutputFormat& format, std::string& failure);

// EncodePicture, then WriteOutputFile at request.outputPath; true when the file was written.
bool SavePicture(FIBITMAP* picture, const SaveRequest& request, std::string& failure);
bool SavePicture(FIBITMAP* picture, const SaveRequest& request);

// The highest palette index used by any pixel of an 8-bit picture (0 for none, and for a
// picture that is not 8-bit).
int HighestUsedIndex(FIBITMAP* picture);

// Writes an 8-bit BMP whose colour table holds only the entries up to HighestUsedIndex, with
// RLE8-compressed pixels when saveFlags hold BMP_SAVE_RLE, as WriteOutputFile writes. False for
// a picture that is not 8-bit, a read-only existing file, or a write that fails (which leaves
// an existing file as it was).
bool SaveExactColorTableBmp(FIBITMAP* picture, const std::string& path, int saveFlags);

// prefix + letters for the digits of the local time in seconds + five random letters + suffix.
std::string UniqueLetterName(std::string_view prefix, std::string_view suffix);
