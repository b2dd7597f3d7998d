#include "pipeline/convert_file.h"

#include <cassert>

#include "decor/frame.h"
#include "decor/watermark.h"
#include "naming/output_path.h"
#include "pipeline/colour.h"
#include "pipeline/depth.h"
#include "pipeline/geometry.h"
#include "pipeline/load.h"
#include "pipeline/save.h"
#include "settings/formats.h"
#include "settings/settings.h"

static int Width(const Bitmap& picture) {
  return picture ? static_cast<int>(FreeImage_GetWidth(picture.get())) : 0;
}
static int Height(const Bitmap& picture) {
  return picture ? static_cast<int>(FreeImage_GetHeight(picture.get())) : 0;
}

bool PrepareRun(const WatermarkSettings& watermark) {
  return watermark.kind != WatermarkKind::Text || LoadWatermarkFont(watermark.text);
}

void FinishRun() { ReleaseWatermarkFont(); }

bool ConvertFile(FileContext& file) {
  assert(gJob.format && "the driver settles the output format before the conversion phase");
  const OutputFormat& format = *gJob.format;
  Bitmap picture = LoadPicture(file.inputPath, gJob.tempFolder, gJob.converterDeadlineMs,
                               gSettings.decoding.pictScale);
  file.loadedBpp = picture ? static_cast<int32_t>(FreeImage_GetBPP(picture.get())) : 0;
  int width = Width(picture);
  int height = Height(picture);
  if (width == 0 || height == 0) return false;

  picture = RotatePicture(std::move(picture), gSettings.rotation);
  width = Width(picture);
  height = Height(picture);
  picture = ResizePicture(std::move(picture), width, height, gSettings.resize);
  width = Width(picture);
  height = Height(picture);

  // A format with a square limit (icons: 128) takes a larger picture as exactly that square.
  const int limit = format.squareLimit;
  if (picture && limit > 0 && (width > limit || height > limit)) {
    picture = Bitmap(FreeImage_Rescale(picture.get(), limit, limit, FILTER_BICUBIC));
    width = height = limit;
  }

  FlipPicture(picture.get(), gSettings.flip);
  picture = AdjustPictureColors(std::move(picture), gSettings.color);
  picture = GreyscalePicture(std::move(picture), gSettings.color);
  picture = ThresholdPicture(std::move(picture), gSettings.color);

  // Settled before decoration so that %width%, %height% and %bpp% in a watermark describe
  // this file.
  file.targetBpp = gJob.targetBpp != 0 ? gJob.targetBpp : AutomaticDepth(format, file.loadedBpp);
  file.outputWidth = width;
  file.outputHeight = height;

  picture = DrawSolidFrame(std::move(picture), width, height, gSettings.frame);
  picture = DrawWatermark(std::move(picture), width, height, gSettings.watermark, gSettings.frame,
                          file, gJob.conversion);
  picture = ApplyTargetDepth(std::move(picture), format, file.targetBpp);

  file.outputPath = BuildOutputPath(file, gJob.output, gSettings.naming, gJob.conversion);
  if (!picture) return false;

  SaveRequest request;
  request.format = &format;
  request.saveFlags = gJob.saveFlags;
  request.targetBpp = file.targetBpp;
  request.colorTable = gSettings.output.bmpColorTable;
  request.outputPath = file.outputPath;
  return SavePicture(picture.get(), request);
}
