#include "pipeline/depth.h"

#include <cassert>

#include "picture/to_24_bits.h"

// The palette, 16-bit and dithering converters take only 1..32-bit bitmaps: a 48-bit picture
// comes back NULL from some and unchanged from ConvertTo4Bits.
static Bitmap ToStandardBitmap(Bitmap picture) { return To24BitsUnless(std::move(picture), 1, 32); }

// FreeImage_ConvertToRGB16 widens a channel by shifting it 8 bits, so 255 becomes 65280. Copying
// the high byte into the low one multiplies by 257 instead and keeps white at 65535.
static void WidenChannelsExactly(FIBITMAP* picture) {
  const unsigned width = FreeImage_GetWidth(picture);
  const unsigned height = FreeImage_GetHeight(picture);
  for (unsigned y = 0; y < height; ++y) {
    auto* pixel = reinterpret_cast<FIRGB16*>(FreeImage_GetScanLine(picture, y));
    for (unsigned x = 0; x < width; ++x, ++pixel) {
      pixel->red = static_cast<WORD>(pixel->red | (pixel->red >> 8));
      pixel->green = static_cast<WORD>(pixel->green | (pixel->green >> 8));
      pixel->blue = static_cast<WORD>(pixel->blue | (pixel->blue >> 8));
    }
  }
}

static Bitmap ConvertTo48Bits(Bitmap picture) {
  const bool fromEightBitChannels = FreeImage_GetImageType(picture.get()) == FIT_BITMAP;
  Bitmap wide(FreeImage_ConvertToRGB16(picture.get()));
  if (wide && fromEightBitChannels) WidenChannelsExactly(wide.get());
  return wide;
}

static Bitmap ConvertTo16Bits(Bitmap picture, const OutputFormat& format) {
  picture = ToStandardBitmap(std::move(picture));
  if (!picture) return picture;
  if (format.sixteenBits == SixteenBits::Rgb555)
    return Bitmap(FreeImage_ConvertTo16Bits555(picture.get()));
  return Bitmap(FreeImage_ConvertTo16Bits565(picture.get()));
}

static Bitmap ConvertTo8Bits(Bitmap picture, const OutputFormat& format) {
  picture = ToStandardBitmap(std::move(picture));
  if (!picture) return picture;
  if (format.eightBits == EightBits::Grey) return Bitmap(FreeImage_ConvertTo8Bits(picture.get()));
  // The quantiser takes 24 bits only.
  picture = To24BitsUnless(std::move(picture), 24, 24);
  if (!picture) return picture;
  return Bitmap(FreeImage_ColorQuantizeEx(picture.get(), FIQ_WUQUANT, 256, 0, nullptr));
}

static Bitmap Convert(Bitmap picture, const OutputFormat& format, int targetBpp) {
  switch (targetBpp) {
    case 96:
      return Bitmap(FreeImage_ConvertToRGBF(picture.get()));
    case 48:
      return ConvertTo48Bits(std::move(picture));
    case 32:
      return Bitmap(FreeImage_ConvertTo32Bits(picture.get()));
    case 24:
      return Bitmap(FreeImage_ConvertTo24Bits(picture.get()));
    case 16:
      return ConvertTo16Bits(std::move(picture), format);
    case 8:
      return ConvertTo8Bits(std::move(picture), format);
    case 4:
      picture = ToStandardBitmap(std::move(picture));
      return picture ? Bitmap(FreeImage_ConvertTo4Bits(picture.get())) : Bitmap();
    case 1:
      picture = ToStandardBitmap(std::move(picture));
      return picture ? Bitmap(FreeImage_Dither(picture.get(), FID_FS)) : Bitmap();
    default:
      assert(false && "target depth comes from an allowed-depths list");
      return {};
  }
}

Bitmap ApplyTargetDepth(Bitmap picture, const OutputFormat& format, int targetBpp) {
  if (!picture || static_cast<int>(FreeImage_GetBPP(picture.get())) == targetBpp) return picture;
  Bitmap converted = Convert(std::move(picture), format, targetBpp);
  // A converter that cannot take a picture may hand back a copy of another depth.
  if (converted && static_cast<int>(FreeImage_GetBPP(converted.get())) != targetBpp) return {};
  return converted;
}
