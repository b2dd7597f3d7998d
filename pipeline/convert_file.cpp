#include "pipeline/convert_file.h"

#include <cassert>
#include <chrono>
#include <cmath>
#include <optional>
#include <utility>

#include "decor/frame.h"
#include "decor/watermark.h"
#include "macfile/mac_file.h"
#include "naming/output_path.h"
#include "pipeline/colour.h"
#include "pipeline/depth.h"
#include "pipeline/geometry.h"
#include "pipeline/load.h"
#include "pipeline/save.h"
#include "pipeline/vector_picture.h"
#include "platform/files.h"
#include "platform/text.h"
#include "settings/formats.h"

static int Width(const Bitmap& picture) {
  return picture ? static_cast<int>(FreeImage_GetWidth(picture.get())) : 0;
}
static int Height(const Bitmap& picture) {
  return picture ? static_cast<int>(FreeImage_GetHeight(picture.get())) : 0;
}
static int Width(const VectorPicture& picture) { return picture.width; }
static int Height(const VectorPicture& picture) { return picture.height; }

static FIBITMAP* Handle(const Bitmap& picture) { return picture.get(); }
static VectorPicture& Handle(VectorPicture& picture) { return picture; }

static Bitmap ScalePicture(Bitmap picture, int width, int height) {
  return Bitmap(FreeImage_Rescale(picture.get(), width, height, FILTER_BICUBIC));
}

// The picture's resolution in dots per inch, which follows its pixels through the steps: a quarter
// turn swaps it, and a change of size keeps the picture's physical size (half the pixels, half the
// dots per inch), as --PICT-SCALE does.
struct Resolution {
  double x = 72, y = 72;

  void Turn(const RotationSettings& rotation) {
    if (rotation.enabled && (rotation.angle == 90 || rotation.angle == 270)) std::swap(x, y);
  }
  void Resize(int fromWidth, int fromHeight, int toWidth, int toHeight) {
    if (fromWidth > 0) x *= static_cast<double>(toWidth) / fromWidth;
    if (fromHeight > 0) y *= static_cast<double>(toHeight) / fromHeight;
  }
  // On the picture, in the dots per metre FreeImage keeps and its writers (and ours) store.
  void Label(FIBITMAP* picture) const {
    constexpr double kInchesPerMetre = 1 / 0.0254;
    FreeImage_SetDotsPerMeterX(picture, static_cast<unsigned>(std::lround(x * kInchesPerMetre)));
    FreeImage_SetDotsPerMeterY(picture, static_cast<unsigned>(std::lround(y * kInchesPerMetre)));
  }
  // A page keeps its physical size through the steps by itself.
  void Label(const VectorPicture&) const {}
};

// A step that gives back no picture ran out of memory or was handed sizes it cannot make.
template <class Picture>
static bool Failed(const Picture& picture, std::string_view step, FileResult& result) {
  if (picture) return false;
  result.failure = std::string(step) + " gave no picture";
  return true;
}

// The steps from the loaded picture to the bytes of the output file, in the order they are
// taken. Picture is pixels (a Bitmap) or a page of vectors (a VectorPicture, for svg and pdf):
// each step has both forms, which give the same sizes and colours.
template <class Picture>
static void EncodeSteps(Picture picture, Resolution resolution, const Run& run,
                        const RunResources& resources, FileContext& file, FileResult& result) {
  const OutputFormat& format = *run.format;
  const ConversionSettings& settings = run.settings;
  picture = RotatePicture(std::move(picture), settings.rotation);
  if (Failed(picture, "the rotation", result)) return;
  resolution.Turn(settings.rotation);
  int width = Width(picture);
  int height = Height(picture);
  picture = ResizePicture(std::move(picture), width, height, settings.resize);
  if (Failed(picture, "the resizing", result)) return;
  resolution.Resize(width, height, Width(picture), Height(picture));
  width = Width(picture);
  height = Height(picture);

  // A format with a square limit (icons: 128) takes a larger picture as exactly that square.
  const int limit = format.squareLimit;
  if (limit > 0 && (width > limit || height > limit)) {
    picture = ScalePicture(std::move(picture), limit, limit);
    if (Failed(picture, "the icon size limit", result)) return;
    resolution.Resize(width, height, limit, limit);
    width = height = limit;
  }

  FlipPicture(Handle(picture), settings.flip);
  picture = AdjustPictureColors(std::move(picture), settings.color);
  picture = GreyscalePicture(std::move(picture), settings.color);
  picture = ThresholdPicture(std::move(picture), settings.color);
  if (Failed(picture, "the colour steps", result)) return;

  // Settled before decoration so that %width%, %height% and %bpp% in a watermark describe
  // this file.
  file.targetBpp = run.targetBpp != 0 ? run.targetBpp : AutomaticDepth(format, file.loadedBpp);
  file.outputWidth = width;
  file.outputHeight = height;

  picture = DrawSolidFrame(std::move(picture), width, height, settings.frame);
  if (Failed(picture, "the frame", result)) return;
  picture = DrawWatermark(std::move(picture), width, height, settings.watermark, settings.frame,
                          file, run.extension, resources.watermarkFont);
  if (Failed(picture, "the watermark", result)) return;
  picture = ApplyTargetDepth(std::move(picture), format, file.targetBpp);
  if (Failed(picture, "the change to " + std::to_string(file.targetBpp) + " bits", result)) return;
  resolution.Label(Handle(picture));

  SaveRequest request;
  request.format = &format;
  request.output = settings.output;
  request.targetBpp = file.targetBpp;
  request.scratchFolder = run.tempFolder;
  std::optional<std::string> bytes = EncodePicture(Handle(picture), request, result.failure);
  if (bytes) {
    result.bytes = std::move(*bytes);
    result.encoded = Encoded::InMemory;
  }
}

// What vector output says of a picture that is pixels in part or whole; empty when it is all
// shapes and text.
static std::string PixelsWarning(const LoadResult& load) {
  if (load.drawing) return load.drawing->note;
  // The chain stops at the decoder that read the file.
  if (load.reports.empty()) return {};
  return "the whole picture is pixels: " + std::string(load.reports.back().decoder) + " read it";
}

// The picture of the file in hand: the file, or the part of a Macintosh file it is, read again
// from its wrapper. Nothing when that part cannot be had (message says why).
static std::optional<LoadResult> LoadInput(const Run& run, const FileContext& file, bool drawing,
                                           std::string& message) {
  const int scale = run.settings.decoding.pictScale;
  if (!file.macPart)
    return LoadPicture(file.inputPath, run.tempFolder, run.converterDeadlineMs, scale, drawing);
  const MacPart& part = *file.macPart;
  const std::optional<std::string> data =
      part.isResource ? macfile::ReadPictResource(file.inputPath, part.resourceId, message)
                      : macfile::ReadDataFork(file.inputPath, message);
  if (!data) return std::nullopt;
  return LoadPictureData(*data, !part.isResource, run.tempFolder, run.converterDeadlineMs, scale,
                         drawing);
}

static void LoadAndEncode(const Run& run, const RunResources& resources, FileContext& file,
                          FileResult& result) {
  assert(run.format && "the driver settles the output format before the conversion phase");
  const bool vector = IsVectorFormat(*run.format);
  const int scale = run.settings.decoding.pictScale;
  std::optional<LoadResult> loaded = LoadInput(run, file, vector, result.failure);
  if (!loaded) return;
  LoadResult load = std::move(*loaded);
  result.decoders = load.Account();
  result.notes = std::move(load.notes);
  Bitmap picture = std::move(load.picture);
  file.loadedBpp = picture ? static_cast<int32_t>(FreeImage_GetBPP(picture.get())) : 0;
  if (Width(picture) == 0 || Height(picture) == 0) {
    result.failure =
        load.problem.empty() ? "no decoder could read it (" + result.decoders + ")" : load.problem;
    return;
  }
  result.reader = load.reports.back().decoder;
  result.pictureWidth = Width(picture);
  result.pictureHeight = Height(picture);
  // The damage is the reason: what was drawn before it is not what the file holds.
  if (run.settings.decoding.strict && result.notes.damage) {
    result.failure = pict::DamageLine(*result.notes.damage);
    return;
  }
  result.loaded = true;
  const Resolution resolution{result.notes.horizontalDpi, result.notes.verticalDpi};
  if (!vector) {
    EncodeSteps(std::move(picture), resolution, run, resources, file, result);
    return;
  }
  // A page of vectors: our decoder's drawing, or the pixels another reader made of the file.
  result.warning = PixelsWarning(load);
  EncodeSteps(load.drawing ? PictureOfDrawing(std::move(load.drawing->drawing))
                           : PictureOfPixels(picture.get(), scale),
              resolution, run, resources, file, result);
}

FileResult EncodeFile(const Run& run, const RunResources& resources, FileContext& file) {
  const auto start = std::chrono::steady_clock::now();
  FileResult result;
  LoadAndEncode(run, resources, file, result);
  result.milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(
                            std::chrono::steady_clock::now() - start)
                            .count();
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
