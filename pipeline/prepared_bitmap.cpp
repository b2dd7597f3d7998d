#include "pipeline/prepared_bitmap.h"

#include <utility>

PreparedBitmap AsGreyLevels(FIBITMAP* picture) {
  if (FreeImage_GetBPP(picture) != 8 || FreeImage_GetColorType(picture) == FIC_MINISBLACK)
    return {Bitmap(), picture};
  Bitmap grey(FreeImage_ConvertToGreyscale(picture));
  FIBITMAP* bitmap = grey.get();
  return {std::move(grey), bitmap};
}

PreparedBitmap As16BitLayout(FIBITMAP* picture, bool layout565) {
  if (FreeImage_GetBPP(picture) != 16 ||
      (FreeImage_GetGreenMask(picture) == FI16_565_GREEN_MASK) == layout565)
    return {Bitmap(), picture};
  Bitmap converted(layout565 ? FreeImage_ConvertTo16Bits565(picture)
                             : FreeImage_ConvertTo16Bits555(picture));
  FIBITMAP* bitmap = converted.get();
  return {std::move(converted), bitmap};
}
