// pipeline/writers.h: the writers behind SavePicture, one for each Writer of the format rows,
// and the file handling they share. Every writer builds its file under a temporary name in the
// output folder and renames it over the output only when it is complete.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "picture/picture.h"
#include "pipeline/save.h"

// FreeImage, for the formats whose row names it; fails on a read-only output.
bool SaveWithFreeImage(FIBITMAP* picture, const SaveRequest& request);

// BMP: SaveExactColorTableBmp for an 8-bit picture with the exact colour table, FreeImage
// otherwise.
bool SaveBmp(FIBITMAP* picture, const SaveRequest& request);

// Writes an 8-bit BMP whose colour table holds only the entries up to HighestUsedIndex, with
// RLE8-compressed pixels when saveFlags hold BMP_SAVE_RLE. False for a picture that is not
// 8-bit, a read-only existing file, or a write that fails (which leaves an existing file as it
// was).
bool SaveExactColorTableBmp(FIBITMAP* picture, const std::string& path, int saveFlags);

// The highest palette index used by any pixel of an 8-bit picture (0 for none, and for a
// picture that is not 8-bit).
int HighestUsedIndex(FIBITMAP* picture);

// DevIL for psd, dds (with its full mipmap chain) and pcx; replaces even a read-only output.
bool SaveWithDevil(FIBITMAP* picture, const SaveRequest& request);

// JPEG XR through Debian's JxrEncApp, losslessly, from an intermediate file in the output
// folder. Takes 1-bit black and white, 8-bit grey, 16-bit 5-6-5, 24, 32, 48 and 96 bits; fails
// on a read-only output.
bool SaveJxrWithEncoder(FIBITMAP* picture, const std::string& outputPath);

// The bitmap a writer hands to its library: the picture itself, or a converted copy owned here.
struct PreparedBitmap {
  Bitmap copy;
  FIBITMAP* bitmap = nullptr;  // null when a conversion that was needed failed
};

// An 8-bit picture that is not grey levels (a colour palette) converted to grey levels, weighted
// as the depth step weighs them; any other picture as it is.
PreparedBitmap AsGreyLevels(FIBITMAP* picture);

// A 16-bit picture in the 5-6-5 layout when layout565, else in 5-5-5; any other picture as it is.
PreparedBitmap As16BitLayout(FIBITMAP* picture, bool layout565);

// prefix + letters for the digits of the local time in seconds + five random letters + suffix.
std::string UniqueLetterName(std::string_view prefix, std::string_view suffix);

// A path in the folder of outputPath that names nothing yet, ending in "." + extension; empty
// when none could be found.
std::string TemporaryPathBeside(const std::string& outputPath, std::string_view extension);

// Renames the finished file at temporaryPath over outputPath; removes it when that fails.
bool MoveOverOutput(const std::string& temporaryPath, const std::string& outputPath);

// Writes bytes under a temporary name beside outputPath and moves them over it; on failure
// nothing is left and an existing output is untouched.
bool ReplaceWithBytes(const std::string& outputPath, std::string_view extension,
                      const std::string& bytes);

// The file FreeImage writes for the bitmap, kept in memory; nothing when it fails.
std::optional<std::string> EncodeWithFreeImage(FREE_IMAGE_FORMAT format, FIBITMAP* picture,
                                               int flags);

// Little-endian fields of the headers these writers read and patch.
uint32_t ReadLe32(const std::string& bytes, size_t offset);
uint16_t ReadLe16(const std::string& bytes, size_t offset);
void WriteLe32(std::string& bytes, size_t offset, uint32_t value);
void WriteLe16(std::string& bytes, size_t offset, uint16_t value);
