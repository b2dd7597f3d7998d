#include <FreeImage.h>

#include <span>

#include "pipeline/save.h"

// Each compression setting holds a code of the shared compression keyword table; these tables
// give, by code, the flag that code means for one format. Codes past the end mean no flag.
constexpr int kExrCompression[] = {EXR_NONE, EXR_ZIP, EXR_PIZ, EXR_PXR24, EXR_B44};
constexpr int kPngCompression[] = {PNG_Z_NO_COMPRESSION, PNG_Z_BEST_SPEED,
                                   PNG_Z_DEFAULT_COMPRESSION, PNG_Z_BEST_COMPRESSION};
constexpr int kTiffCompression[] = {TIFF_NONE,     TIFF_CCITTFAX3, TIFF_CCITTFAX4,
                                    TIFF_PACKBITS, TIFF_DEFLATE,   TIFF_ADOBE_DEFLATE,
                                    TIFF_LZW,      TIFF_JPEG,      TIFF_LOGLUV};
constexpr int kRleCode = 1;  // RLE in the compression keyword table

// By JpgChroma and JpgSaveAs code.
constexpr int kJpgChroma[] = {JPEG_SUBSAMPLING_444, JPEG_SUBSAMPLING_422, JPEG_SUBSAMPLING_420,
                              JPEG_SUBSAMPLING_411};
constexpr int kJpgSaveAs[] = {0, JPEG_BASELINE, JPEG_OPTIMIZE, JPEG_PROGRESSIVE};

static int FlagForCode(std::span<const int> table, int code) {
  if (code < 0 || static_cast<size_t>(code) >= table.size()) return 0;
  return table[static_cast<size_t>(code)];
}

int BuildSaveFlags(std::string_view extension, const OutputFormatSettings& output) {
  if (extension == "bmp") return output.bmpCompression == kRleCode ? BMP_SAVE_RLE : 0;
  if (extension == "tga") return output.tgaCompression == kRleCode ? TARGA_SAVE_RLE : 0;
  if (extension == "exr") return FlagForCode(kExrCompression, output.exrCompression);
  if (extension == "jpg")
    return output.jpgQuality | FlagForCode(kJpgChroma, static_cast<int>(output.jpgChroma)) |
           FlagForCode(kJpgSaveAs, static_cast<int>(output.jpgSaveAs));
  if (extension == "png")
    return FlagForCode(kPngCompression, output.pngCompression) |
           (output.pngInterlaced ? PNG_INTERLACED : 0);
  if (extension == "tiff")
    return FlagForCode(kTiffCompression, output.tiffCompression) |
           (output.tiffColorModel == TiffColorModel::Cmyk ? TIFF_CMYK : 0);
  if (extension == "jxr") return JXR_LOSSLESS;
  if (extension == "webp") return WEBP_LOSSLESS;
  // The rest take no options; 0 is also PNM_DEFAULT, the binary form of pbm, pgm and ppm.
  return 0;
}
