#include "pict/colour_profile.h"

#include <lcms2.h>

#include <algorithm>
#include <array>
#include <bit>
#include <memory>
#include <type_traits>

#include "pict/limits.h"

namespace pict {

struct ContextDelete {
  void operator()(cmsContext context) const { cmsDeleteContext(context); }
};
struct ProfileClose {
  void operator()(cmsHPROFILE profile) const { cmsCloseProfile(profile); }
};
struct TransformDelete {
  void operator()(cmsHTRANSFORM transform) const { cmsDeleteTransform(transform); }
};
using Context = std::unique_ptr<std::remove_pointer_t<cmsContext>, ContextDelete>;
using Profile = std::unique_ptr<void, ProfileClose>;
using Transform = std::unique_ptr<void, TransformDelete>;

// A damaged profile is an answer (the pixels stay as decoded), not a message.
static void IgnoreLcmsError(cmsContext, cmsUInt32Number, const char*) {}

// Image pixels are 0xAARRGGBB words: B, G, R, A in memory on little-endian machines.
constexpr cmsUInt32Number kPixelFormat =
    std::endian::native == std::endian::little ? TYPE_BGRA_8 : TYPE_ARGB_8;

// Perceptual is what a profile's maker tunes for showing pictures; black point compensation keeps
// the shadows of a profile whose black is not zero from clipping. Matrix-and-curve profiles, such
// as displays', give the same result under every intent.
constexpr cmsUInt32Number kIntent = INTENT_PERCEPTUAL;
constexpr cmsUInt32Number kFlags = cmsFLAGS_BLACKPOINTCOMPENSATION;

static bool IsGrey(uint32_t pixel) {
  return (pixel >> 16 & 0xFF) == (pixel & 0xFF) && (pixel >> 8 & 0xFF) == (pixel & 0xFF);
}

// A grey profile maps the 256 grey levels; each pixel takes the colour of its level.
static bool ConvertGrey(Image& image, cmsContext context, cmsHPROFILE source, cmsHPROFILE srgb) {
  if (!std::all_of(image.pixels.begin(), image.pixels.end(), IsGrey)) return false;
  const Transform transform(
      cmsCreateTransformTHR(context, source, TYPE_GRAY_8, srgb, TYPE_RGB_8, kIntent, kFlags));
  if (!transform) return false;
  std::array<uint8_t, 256> levels;
  for (size_t i = 0; i < levels.size(); ++i) levels[i] = uint8_t(i);
  std::array<uint8_t, 3 * 256> colours;
  cmsDoTransform(transform.get(), levels.data(), colours.data(), 256);
  for (uint32_t& pixel : image.pixels) {
    const uint8_t* rgb = colours.data() + 3 * (pixel & 0xFF);
    pixel = (pixel & 0xFF000000) | uint32_t(rgb[0]) << 16 | uint32_t(rgb[1]) << 8 | rgb[2];
  }
  return true;
}

static bool ConvertRgb(Image& image, cmsContext context, cmsHPROFILE source, cmsHPROFILE srgb) {
  const Transform transform(cmsCreateTransformTHR(context, source, kPixelFormat, srgb, kPixelFormat,
                                                  kIntent, kFlags | cmsFLAGS_COPY_ALPHA));
  if (!transform) return false;
  // In place, a row at a time: input and output have the same layout.
  for (int y = 0; y < image.height; ++y) {
    uint32_t* row = &image.At(0, y);
    cmsDoTransform(transform.get(), row, row, cmsUInt32Number(image.width));
  }
  return true;
}

bool ConvertToSrgb(Image& image, std::span<const uint8_t> profile) {
  if (profile.empty() || profile.size() > kMaxIccProfileBytes || image.IsEmpty()) return false;
  // A context of its own for every call: nothing is shared between threads, and its error log,
  // unlike the process-wide one, is this call's to silence.
  const Context context(cmsCreateContext(nullptr, nullptr));
  if (!context) return false;
  cmsSetLogErrorHandlerTHR(context.get(), IgnoreLcmsError);
  const Profile source(
      cmsOpenProfileFromMemTHR(context.get(), profile.data(), cmsUInt32Number(profile.size())));
  const Profile srgb(cmsCreate_sRGBProfileTHR(context.get()));
  if (!source || !srgb) return false;
  // Little CMS itself refuses profiles that do not describe the pixels' colours: device links,
  // abstract and named-colour profiles, a colour space other than the pixel format's.
  switch (cmsGetColorSpace(source.get())) {
    case cmsSigRgbData:
      return ConvertRgb(image, context.get(), source.get(), srgb.get());
    case cmsSigGrayData:
      return ConvertGrey(image, context.get(), source.get(), srgb.get());
    default:
      return false;
  }
}

}  // namespace pict
