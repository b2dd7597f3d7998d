// pipeline/writers.h (private to pipeline/): the writers behind EncodePicture and what they
// share. Every writer makes the bytes of its file; WriteOutputFile alone puts them in place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "picture/picture.h"
#include "pipeline/save.h"
#include "platform/ending.h"

// FreeImage, for the formats whose row names it.
std::optional<std::string> EncodeWithFreeImageWriter(FIBITMAP* picture, const SaveRequest& request,
                                                     std::string& failure);

// DevIL for psd, dds (with its full mipmap chain) and pcx, through a file in the scratch folder.
std::optional<std::string> EncodeWithDevil(FIBITMAP* picture, const SaveRequest& request,
                                           std::string& failure);

// JPEG XR through Debian's JxrEncApp, losslessly, from and to files in scratchFolder. Takes
// 1-bit black and white, 8-bit grey, 16-bit 5-6-5, 24, 32, 48 and 96 bits.
std::optional<std::string> EncodeJxrWithEncoder(FIBITMAP* picture, const std::string& scratchFolder,
                                                std::string& failure);

// BMP: for an 8-bit picture with the exact colour table EncodeExactColorTableBmp, else FreeImage.
std::optional<std::string> EncodeBmp(FIBITMAP* picture, const SaveRequest& request,
                                     std::string& failure);

// An 8-bit BMP whose colour table holds only the entries up to HighestUsedIndex, with
// RLE8-compressed pixels when saveFlags hold BMP_SAVE_RLE; nothing for a picture that is not
// 8-bit.
std::optional<std::string> EncodeExactColorTableBmp(FIBITMAP* picture, int saveFlags,
                                                    std::string& failure);

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

// The file FreeImage writes for the bitmap, kept in memory; nothing when it fails.
std::optional<std::string> EncodeWithFreeImage(FREE_IMAGE_FORMAT format, FIBITMAP* picture,
                                               int flags);

// Little-endian fields of the headers these writers read and patch.
uint32_t ReadLe32(const std::string& bytes, size_t offset);
uint16_t ReadLe16(const std::string& bytes, size_t offset);
void WriteLe32(std::string& bytes, size_t offset, uint32_t value);
void WriteLe16(std::string& bytes, size_t offset, uint16_t value);
