#include "pipeline/devil_writer.h"

#include <IL/il.h>
#include <IL/ilu.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "pipeline/little_endian.h"
#include "platform/files.h"
#include "platform/temporary_file.h"

// DevIL's image type of each format it writes here.
struct DevilFormat {
  std::string_view extension;
  ILenum type;
};
constexpr DevilFormat kDevilFormats[] = {{"dds", IL_DDS}, {"pcx", IL_PCX}, {"psd", IL_PSD}};

static const DevilFormat* FindDevilFormat(std::string_view extension) {
  for (const DevilFormat& format : kDevilFormats)
    if (format.extension == extension) return &format;
  return nullptr;
}

// DevIL keeps a stack of past errors; a failed call must not leave its error to the next file.
// Returns the words for the oldest one, which says what went wrong first.
static std::string ForgetDevilErrors() {
  std::string first;
  for (ILenum error = ilGetError(); error != IL_NO_ERROR; error = ilGetError())
    if (first.empty()) first = iluErrorString(error);
  return first;
}

std::optional<std::string> EncodeWithDevil(FIBITMAP* picture, const SaveRequest& request,
                                           std::string& message) {
  const std::string_view extension = request.format->extension;
  const DevilFormat* written = FindDevilFormat(extension);
  if (!written) {
    message = "DevIL does not write " + std::string(extension) + " files here";
    return {};
  }
  const unsigned bpp = FreeImage_GetBPP(picture);
  if (FreeImage_GetImageType(picture) != FIT_BITMAP || (bpp != 24 && bpp != 32)) {
    message =
        std::string(extension) + " is written from 24 or 32 bits only, not " + std::to_string(bpp);
    return {};
  }
  const unsigned channels = bpp / 8;
  const unsigned width = FreeImage_GetWidth(picture);
  const unsigned height = FreeImage_GetHeight(picture);
  const unsigned pitch = width * channels;

  // Packed rows, bottom row first: what DevIL's default lower-left origin expects.
  std::vector<BYTE> pixels(static_cast<size_t>(pitch) * height);
  FreeImage_ConvertToRawBits(pixels.data(), picture, static_cast<int>(pitch), bpp, FI_RGBA_RED_MASK,
                             FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK, FALSE);

  DevilImage image;
  image.Bind();
  const bool built = ilTexImage(width, height, static_cast<ILuint>(ilGetInteger(IL_IMAGE_DEPTH)),
                                static_cast<ILubyte>(channels), channels == 4 ? IL_BGRA : IL_BGR,
                                IL_UNSIGNED_BYTE, pixels.data()) &&
                     (!request.format->mipmaps || iluBuildMipmaps());
  if (!built) {
    message = "DevIL could not take the picture: " + ForgetDevilErrors();
    return {};
  }

  // DevIL writes files only: it writes one of ours, made for it in the scratch folder (so it
  // may overwrite it), and the bytes are read back.
  TemporaryFile intermediate;
  if (!intermediate.Create(request.scratchFolder, extension, message)) return {};
  ilEnable(IL_FILE_OVERWRITE);
  const bool saved = ilSave(written->type, intermediate.path().c_str());
  const std::string error = ForgetDevilErrors();
  std::optional<std::string> bytes;
  if (saved) bytes = ReadFileBytes(intermediate.path());
  if (!bytes || bytes->empty()) {
    message = "DevIL could not write the " + std::string(extension) + " file" +
              (error.empty() ? std::string() : ": " + error);
    return {};
  }
  // DevIL takes no resolution; a PCX header has it in dots per inch at bytes 12 and 14 (ZSoft's
  // layout), where it is put from the picture's.
  if (extension == "pcx" && bytes->size() >= 128) {
    auto dpi = [](unsigned dotsPerMetre) {
      return static_cast<uint16_t>(std::min(std::lround(dotsPerMetre * 0.0254), 65535L));
    };
    WriteLe16(*bytes, 12, dpi(FreeImage_GetDotsPerMeterX(picture)));
    WriteLe16(*bytes, 14, dpi(FreeImage_GetDotsPerMeterY(picture)));
  }
  return bytes;
}
