#include "pict/colour_profile.h"

#include <lcms2.h>

#include <algorithm>
#include <array>
#include <bit>
#include <string>
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

// The context outlives the transform made in it: members are destroyed in reverse order.
struct SrgbConversion::Parts {
  Context context;
  Transform transform;  // RGB profiles: whole pixels
  bool grey = false;
  std::array<uint32_t, 256> levels{};  // grey profiles: each grey level's colour, 0xRRGGBB
  std::string description;
};

// The profile's 'desc' tag in English, as Little CMS gives it in ASCII; empty when it has none.
static std::string DescriptionOf(cmsHPROFILE profile) {
  char text[256] = "";
  if (cmsGetProfileInfoASCII(profile, cmsInfoDescription, "en", "US", text, sizeof text) == 0)
    return {};
  std::string description(text);
  description.erase(description.find_last_not_of(" \t\r\n") + 1);
  return description;
}

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

static bool IsGreyPixel(uint32_t pixel) {
  return (pixel >> 16 & 0xFF) == (pixel & 0xFF) && (pixel >> 8 & 0xFF) == (pixel & 0xFF);
}

SrgbConversion::SrgbConversion(std::unique_ptr<Parts> parts) : parts_(std::move(parts)) {}
SrgbConversion::~SrgbConversion() = default;

std::unique_ptr<SrgbConversion> SrgbConversion::FromProfile(std::span<const uint8_t> profile) {
  if (profile.empty() || profile.size() > kMaxIccProfileBytes) return nullptr;
  auto parts = std::make_unique<Parts>();
  // A context of its own for every conversion: nothing is shared between threads, and its error
  // log, unlike the process-wide one, is this conversion's to silence.
  parts->context.reset(cmsCreateContext(nullptr, nullptr));
  if (!parts->context) return nullptr;
  cmsContext context = parts->context.get();
  cmsSetLogErrorHandlerTHR(context, IgnoreLcmsError);
  const Profile source(
      cmsOpenProfileFromMemTHR(context, profile.data(), cmsUInt32Number(profile.size())));
  const Profile srgb(cmsCreate_sRGBProfileTHR(context));
  if (!source || !srgb) return nullptr;
  parts->description = DescriptionOf(source.get());
  // Little CMS itself refuses profiles that do not describe the pixels' colours: device links,
  // abstract and named-colour profiles, a colour space other than the pixel format's.
  switch (cmsGetColorSpace(source.get())) {
    case cmsSigRgbData:
      parts->transform.reset(cmsCreateTransformTHR(context, source.get(), kPixelFormat, srgb.get(),
                                                   kPixelFormat, kIntent,
                                                   kFlags | cmsFLAGS_COPY_ALPHA));
      if (!parts->transform) return nullptr;
      break;
    case cmsSigGrayData: {
      // A grey profile maps the 256 grey levels; each grey pixel takes the colour of its level.
      const Transform transform(cmsCreateTransformTHR(context, source.get(), TYPE_GRAY_8,
                                                      srgb.get(), TYPE_RGB_8, kIntent, kFlags));
      if (!transform) return nullptr;
      std::array<uint8_t, 256> levels;
      for (size_t i = 0; i < levels.size(); ++i) levels[i] = uint8_t(i);
      std::array<uint8_t, 3 * 256> colours;
      cmsDoTransform(transform.get(), levels.data(), colours.data(), 256);
      for (size_t i = 0; i < levels.size(); ++i)
        parts->levels[i] =
            uint32_t(colours[3 * i]) << 16 | uint32_t(colours[3 * i + 1]) << 8 | colours[3 * i + 2];
      parts->grey = true;
      break;
    }
    default:
      return nullptr;
  }
  return std::unique_ptr<SrgbConversion>(new SrgbConversion(std::move(parts)));
}

bool SrgbConversion::IsGrey() const { return parts_->grey; }

const std::string& SrgbConversion::Description() const { return parts_->description; }

void SrgbConversion::Convert(uint32_t* pixels, size_t count) const {
  if (!parts_->grey) {
    // In place: input and output have the same layout.
    cmsDoTransform(parts_->transform.get(), pixels, pixels, cmsUInt32Number(count));
    return;
  }
  for (size_t i = 0; i < count; ++i)
    if (IsGreyPixel(pixels[i]))
      pixels[i] = (pixels[i] & 0xFF000000) | parts_->levels[pixels[i] & 0xFF];
}

bool ConvertToSrgb(Image& image, std::span<const uint8_t> profile, std::string* description) {
  if (image.IsEmpty()) return false;
  const std::unique_ptr<SrgbConversion> conversion = SrgbConversion::FromProfile(profile);
  if (!conversion) return false;
  if (conversion->IsGrey() && !std::all_of(image.pixels.begin(), image.pixels.end(), IsGreyPixel))
    return false;
  // A row at a time: one call's count stays far from cmsUInt32Number's range.
  for (int y = 0; y < image.height; ++y) conversion->Convert(&image.At(0, y), size_t(image.width));
  if (description) *description = conversion->Description();
  return true;
}

}  // namespace pict
