#include "pipeline/convert_file.h"

#include <cassert>
#include <optional>
#include <utility>

#include "decor/frame.h"
#include "decor/watermark.h"
#include "naming/output_path.h"
#include "pipeline/colour.h"
#include "pipeline/depth.h"
#include "pipeline/geometry.h"
#include "pipeline/load.h"
#include "pipeline/save.h"
#include "platform/files.h"
#include "platform/text.h"
#include "settings/formats.h"

static int Width(const Bitmap& picture) {
  return picture ? static_cast<int>(FreeImage_GetWidth(picture.get())) : 0;
}
static int Height(const Bitmap& picture) {
  return picture ? static_cast<int>(FreeImage_GetHeight(picture.get())) : 0;
}

// A step that gives back no picture ran out of memory or was handed sizes it cannot make.
static bool Failed(const Bitmap& picture, std::string_view step, FileResult& result) {
  if (picture) return false;
  result.failure = std::string(step) + " gave no picture";
  return true;
}

FileResult EncodeFile(const Run& run, const RunResources& resources, FileContext& file) {
  assert(run.format && "the driver settles the output format before the conversion phase");
  const OutputFormat& format = *run.format;
  const ConversionSettings& settings = run.settings;
  FileResult result;
  LoadResult load = LoadPicture(file.inputPath, run.tempFolder, run.converterDeadlineMs,
                                settings.decoding.pictScale);
  result.decoders = load.Account();
  Bitmap picture = std::move(load.picture);
  file.loadedBpp = picture ? static_cast<int32_t>(FreeImage_GetBPP(picture.get())) : 0;
  int width = Width(picture);
  int height = Height(picture);
  if (width == 0 || height == 0) {
    result.failure = load.problem.empty() ? "no decoder could read it (" + result.decoders + ")"
                                          : load.problem;
    return result;
  }
  result.loaded = true;

  picture = RotatePicture(std::move(picture), settings.rotation);
  if (Failed(picture, "the rotation", result)) return result;
  width = Width(picture);
  height = Height(picture);
  picture = ResizePicture(std::move(picture), width, height, settings.resize);
  if (Failed(picture, "the resizing", result)) return result;
  width = Width(picture);
  height = Height(picture);

  // A format with a square limit (icons: 128) takes a larger picture as exactly that square.
  const int limit = format.squareLimit;
  if (limit > 0 && (width > limit || height > limit)) {
    picture = Bitmap(FreeImage_Rescale(picture.get(), limit, limit, FILTER_BICUBIC));
    if (Failed(picture, "the icon size limit", result)) return result;
    width = height = limit;
  }

  FlipPicture(picture.get(), settings.flip);
  picture = AdjustPictureColors(std::move(picture), settings.color);
  picture = GreyscalePicture(std::move(picture), settings.color);
  picture = ThresholdPicture(std::move(picture), settings.color);
  if (Failed(picture, "the colour steps", result)) return result;

  // Settled before decoration so that %width%, %height% and %bpp% in a watermark describe
  // this file.
  file.targetBpp = run.targetBpp != 0 ? run.targetBpp : AutomaticDepth(format, file.loadedBpp);
  file.outputWidth = width;
  file.outputHeight = height;

  picture = DrawSolidFrame(std::move(picture), width, height, settings.frame);
  if (Failed(picture, "the frame", result)) return result;
  picture = DrawWatermark(std::move(picture), width, height, settings.watermark, settings.frame,
                          file, run.extension, resources.watermarkFont);
  if (Failed(picture, "the watermark", result)) return result;
  picture = ApplyTargetDepth(std::move(picture), format, file.targetBpp);
  if (Failed(picture, "the change to " + std::to_string(file.targetBpp) + " bits", result))
    return result;

  SaveRequest request;
  request.format = &format;
  request.output = settings.output;
  request.targetBpp = file.targetBpp;
  request.scratchFolder = run.tempFolder;
  std::optional<std::string> bytes = EncodePicture(picture.get(), request, result.failure);
  if (bytes) {
    result.bytes = std::move(*bytes);
    result.encoded = Encoded::InMemory;
  }
  return result;
}

bool MakeDraft(const Run& run, const std::string& relativeSubfolder, TemporaryFile& draft) {
  std::string message;
  return draft.CreateDraft(
      OutputFolderFor(relativeSubfolder, run.outputFolder, run.settings.naming), run.extension,
      message);
}

void WriteFile(const Run& run, FileContext& file, FileResult& result, TemporaryFile* draft) {
  // A file that did not load has no output path: its "Saving As: " line stays empty.
  if (result.loaded && file.outputPath.empty())
    file.outputPath = BuildOutputPath(file, run.outputFolder, run.settings.naming, run.extension);
  if (result.encoded == Encoded::InDraft && draft) {
    if (draft->folder() == FolderPart(file.outputPath)) {
      result.written = PlaceOutputFile(*draft, file.outputPath, *run.format, result.failure);
      return;
    }
    // A filename mask with a folder in it sends the output elsewhere: its bytes are written
    // there as with one job, which fails (or crosses file systems) the same way.
    std::string message;
    std::optional<std::string> bytes = ReadFileBytes(draft->path(), message);
    if (!bytes) {
      result.failure = "cannot read back the output written to " + draft->path() + ": " + message;
      return;
    }
    result.bytes = std::move(*bytes);
    result.encoded = Encoded::InMemory;
  }
  if (result.encoded != Encoded::InMemory) return;
  result.written = WriteOutputFile(result.bytes, file.outputPath, *run.format, result.failure);
  result.bytes = std::string();
}
