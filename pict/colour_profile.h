// pict/colour_profile.h: colour management. An image file inside a picture, or the ColorSync
// comments around a picture's pixmaps, may carry the ICC profile of the device the pixels were
// made for; a colour-managed Mac shows them converted from that profile to the display's space.
// Every output format here assumes sRGB, so the pixels are converted to sRGB.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "pict/image.h"

namespace pict {

// A conversion from the space an ICC profile describes to sRGB (perceptual intent, black point
// compensation), made once and applied to any number of pixels. Not copyable; one thread at a
// time.
class SrgbConversion {
 public:
  // The conversion for profile; null when profile is empty, larger than kMaxIccProfileBytes,
  // damaged, of another colour space than RGB or grey (CMYK, Lab ...), a device link or abstract
  // profile, or otherwise not usable by Little CMS. Prints nothing.
  static std::unique_ptr<SrgbConversion> FromProfile(std::span<const uint8_t> profile);
  ~SrgbConversion();
  SrgbConversion(const SrgbConversion&) = delete;
  SrgbConversion& operator=(const SrgbConversion&) = delete;

  // True for a grey profile, which describes grey pixels only.
  bool IsGrey() const;
  // The profile's own description ("Generic RGB Profile"); empty when it has none.
  const std::string& Description() const;
  // Converts count 0xAARRGGBB pixels in place, alpha untouched. A grey profile converts the
  // grey pixels and leaves the others as they are.
  void Convert(uint32_t* pixels, size_t count) const;

  struct Parts;  // Little CMS's objects

 private:
  explicit SrgbConversion(std::unique_ptr<Parts> parts);
  std::unique_ptr<Parts> parts_;
};

// Converts the colours of image from the space the ICC profile describes to sRGB, alpha
// untouched. An RGB profile applies to any image, a grey profile only to an image whose pixels
// are all grey. False, and image unchanged, when SrgbConversion::FromProfile gives none or a grey
// profile meets a colour pixel; when true, description (if given) gets the profile's. Safe to
// call from any thread; prints nothing.
bool ConvertToSrgb(Image& image, std::span<const uint8_t> profile,
                   std::string* description = nullptr);

}  // namespace pict
