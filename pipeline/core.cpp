#include "pipeline/core.h"

#include "batch/output_path.h"
#include "decor/frame.h"
#include "decor/watermark.h"
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

bool ConvertCurrentFile() {
  Bitmap picture = LoadPicture(gJob.currentInputFile, gJob.tempFolder, gJob.converterDeadlineMs);
  gJob.loadedBpp = picture ? static_cast<int32_t>(FreeImage_GetBPP(picture.get())) : 0;
  int width = Width(picture);
  int height = Height(picture);
  if (width == 0 || height == 0) return false;

  picture = RotatePicture(std::move(picture), gSettings.rotation);
  width = Width(picture);
  height = Height(picture);
  picture = ResizePicture(std::move(picture), width, height, gSettings.resize);
  width = Width(picture);
  height = Height(picture);

  // Icons larger than 128 in either direction become exactly 128 x 128.
  if (picture && gJob.conversion == "ico" && (width > 128 || height > 128)) {
    picture = Bitmap(FreeImage_Rescale(picture.get(), 128, 128, FILTER_BICUBIC));
    width = height = 128;
  }

  FlipPicture(picture.get(), gSettings.flip);
  picture = AdjustPictureColors(std::move(picture), gSettings.color);
  picture = GreyscalePicture(std::move(picture), gSettings.color);
  picture = ThresholdPicture(std::move(picture), gSettings.color);

  // Settled before decoration so that %width%, %height% and %bpp% in a watermark describe
  // this file, not the previous one.
  if (gJob.automaticDepth) gJob.targetBpp = AutomaticDepth(gJob.conversion, gJob.loadedBpp);
  gJob.outputWidth = width;
  gJob.outputHeight = height;

  picture = DrawSolidFrame(std::move(picture), width, height, gSettings.frame);
  picture = DrawWatermark(std::move(picture), width, height, gSettings.watermark,
                          gSettings.frame);
  picture = ApplyTargetDepth(std::move(picture), gJob.conversion, gJob.targetBpp);

  gJob.currentOutputFile = BuildOutputPath();
  gJob.devilIntermediatePath =
      OutputFolderOfCurrentFile() + UniqueLetterName("marrowick", "") + "." + gJob.conversion;
  if (!picture) return false;

  SaveRequest request;
  request.extension = gJob.conversion;
  request.formatId = gJob.saveFormatId;
  request.saveFlags = gJob.saveFlags;
  request.targetBpp = gJob.targetBpp;
  request.colorTable = gSettings.output.bmpColorTable;
  request.outputPath = gJob.currentOutputFile;
  request.devilIntermediatePath = gJob.devilIntermediatePath;
  return SavePicture(picture.get(), request);
}
