#include <IL/il.h>
#include <IL/ilu.h>

#include <vector>

#include "pipeline/writers.h"
#include "platform/files.h"

// DevIL keeps a stack of past errors; a failed call must not leave its error to the next file.
// True when one of them says that the file to write existed already.
static bool ForgetDevilErrors() {
  bool existed = false;
  for (ILenum error = ilGetError(); error != IL_NO_ERROR; error = ilGetError())
    existed = existed || error == IL_FILE_ALREADY_EXISTS;
  return existed;
}

bool SaveWithDevil(FIBITMAP* picture, const SaveRequest& request) {
  if (!picture || FreeImage_GetImageType(picture) != FIT_BITMAP) return false;
  const unsigned bpp = FreeImage_GetBPP(picture);
  if (bpp != 24 && bpp != 32) return false;
  const unsigned channels = bpp / 8;
  const unsigned width = FreeImage_GetWidth(picture);
  const unsigned height = FreeImage_GetHeight(picture);
  const unsigned pitch = width * channels;

  // Packed rows, bottom row first: what DevIL's default lower-left origin expects.
  std::vector<BYTE> pixels(static_cast<size_t>(pitch) * height);
  FreeImage_ConvertToRawBits(pixels.data(), picture, static_cast<int>(pitch), bpp, FI_RGBA_RED_MASK,
                             FI_RGBA_GREEN_MASK, FI_RGBA_BLUE_MASK, FALSE);

  // IL_FILE_OVERWRITE stays off: the intermediate's name is checked to be free below, and a
  // file that appears under it meanwhile is not ours to overwrite.
  DevilImage image;
  image.Bind();
  const bool built = ilTexImage(width, height, static_cast<ILuint>(ilGetInteger(IL_IMAGE_DEPTH)),
                                static_cast<ILubyte>(channels), channels == 4 ? IL_BGRA : IL_BGR,
                                IL_UNSIGNED_BYTE, pixels.data()) &&
                     (!request.format->mipmaps || iluBuildMipmaps());
  if (!built) {
    ForgetDevilErrors();
    return false;
  }

  // DevIL writes a name that was free a moment ago, beside the output it then replaces.
  const std::string intermediate =
      TemporaryPathBeside(request.outputPath, request.format->extension);
  if (intermediate.empty()) return false;
  const bool saved = ilSave(static_cast<ILenum>(request.format->formatId), intermediate.c_str());
  const bool existed = ForgetDevilErrors();
  if (!saved) {
    // A failed save can leave an empty file behind; a file that was there first is not ours.
    if (!existed) RemoveFile(intermediate);
    return false;
  }
  // rename(2) replaces the output whatever its permission bits, as this writer should.
  return MoveOverOutput(intermediate, request.outputPath);
}
