// pict/colour_profile.h: colour management of embedded images. An image file inside a picture may
// carry the ICC profile of the device it was made for; a colour-managed Mac shows its pixels
// converted from that profile to the display's space. Every output format here assumes sRGB, so
// the pixels are converted to sRGB.
#pragma once

#include <cstdint>
#include <span>

#include "pict/image.h"

namespace pict {

// Converts the colours of image from the space the ICC profile describes to sRGB (perceptual
// intent, black point compensation), alpha untouched. An RGB profile applies to any image, a grey
// profile only to an image whose pixels are all grey. False, and image unchanged, when profile is
// empty, larger than kMaxIccProfileBytes, damaged, of another colour space (CMYK, Lab ...), a
// device link or abstract profile, or otherwise not usable by Little CMS. Safe to call from any
// thread; prints nothing.
bool ConvertToSrgb(Image& image, std::span<const uint8_t> profile);

}  // namespace pict
