#include "batch/driver.h"

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

#include "batch/collect.h"
#include "batch/worker.h"
#include "console/messages.h"
#include "pipeline/convert_file.h"
#include "platform/ending.h"
#include "platform/files.h"
#include "platform/terminal.h"
#include "platform/text.h"
#include "platform/worker_process.h"
#include "settings/formats.h"
#include "settings/keywords.h"
#include "settings/settings.h"

namespace {

// Prints "label value" lines in debug mode only.
class Echo {
 public:
  explicit Echo(bool debug) : debug_(debug) {}
  void operator()(std::string_view label, std::string_view value) const {
    if (debug_) PrintLine(std::string(label) + std::string(value));
  }
  void Number(std::string_view label, int64_t value) const { (*this)(label, std::to_string(value)); }
  void Flag(std::string_view label, bool value) const { (*this)(label, value ? "1" : "0"); }
  void Keyword(std::string_view label, int table, int code) const {
    (*this)(label, KeywordText(table, code));
  }

 private:
  bool debug_;
};

// Folders given on the command line: ".." refused, relative ones resolved against the
// program's folder, "/" appended, existence required. Nothing when a check fails (message
// set).
std::optional<std::string> NormaliseFolder(std::string path, std::string_view incorrect,
                                           std::string_view invalid, std::string& message) {
  if (path.substr(0, 2) == "..") {
    message = incorrect;
    return std::nullopt;
  }
  if (path.empty() || path[0] != '/') {
    if (path.substr(0, 2) == "./") path.erase(0, 2);
    path = gJob.programFolder + path;
  }
  if (path.back() != '/') path += '/';
  if (!IsFolder(path)) {
    message = invalid;
    return std::nullopt;
  }
  return path;
}

// The echo lines of the chosen output format, from its row.
void EchoFormat(const Echo& echo, const OutputFormat& format, int32_t bpp) {
  const std::string name = ToUpper(format.extension);
  echo.Number(name + " BPP: ", bpp);
  if (format.compressionSetting)
    echo(name + " Compression: ",
         CompressionKeyword(format, gSettings.output.*format.compressionSetting));
  for (const FormatOption& option : format.options)
    echo(option.label, option.text(gSettings.output));
}

void EchoPlacement(const Echo& echo, const PlacementSettings& placement) {
  echo.Keyword("Watermark boundary: ", kBoundaryTable, Code(placement.boundary));
  echo.Keyword("Watermark position: ", kPositionTable, Code(placement.position));
  echo("Watermark offset (x/y): ",
       std::to_string(placement.xOffset) + "/" + std::to_string(placement.yOffset));
  echo.Number("Watermark rotation: ", placement.rotation);
  echo.Keyword("Watermark size/mode: ", kWatermarkSizeTable, placement.size);
}

// Checks the output format and the active steps in order, echoing as it goes. Returns the
// first failure's message, or nothing.
std::optional<std::string> CheckSettings(const Echo& echo, Font& watermarkFont) {
  const std::string& extension = gJob.conversion;
  if (!IsOutputExtension(extension)) return "Error: Invalid conversion type";
  const OutputFormat& format = *FindOutputFormat(extension);
  const int32_t bpp = gSettings.output.bpp[*OutputFormatIndex(extension)];
  EchoFormat(echo, format, bpp);
  if (!IsAllowedDepth(extension, bpp)) return "Error: Invalid " + extension + "-bpp value";
  for (const FormatOption& option : format.options)
    if (option.isValid && !option.isValid(gSettings.output)) return std::string(option.error);

  const RotationSettings& rotation = gSettings.rotation;
  if (rotation.enabled) {
    echo.Keyword("Image Rotation Type: ", kRotationTypeTable, Code(rotation.type));
    echo.Number("Image Rotation: ", rotation.angle);
    echo("Image Rotation Back Color: ", rotation.backColor);
  }

  const ResizeSettings& resize = gSettings.resize;
  if (resize.enabled) {
    echo("Width: ", std::to_string(resize.width) + " " +
                        KeywordText(kSizeUnitTable, Code(resize.widthUnit)));
    if (resize.width == 0) return "Error: Invalid width value";
    echo("Height: ", std::to_string(resize.height) + " " +
                         KeywordText(kSizeUnitTable, Code(resize.heightUnit)));
    if (resize.height == 0) return "Error: Invalid height value";
    echo.Flag("Keep Aspect Ratio: ", resize.keepAspectRatio);
    echo.Keyword("Image Resize Type: ", kResizeTypeTable, Code(resize.type));
    echo.Keyword("Image Resize Algorithm: ", kResizeAlgorithmTable, Code(resize.algorithm));
  }

  echo.Flag("Flip Horizontal: ", gSettings.flip.horizontal);
  echo.Flag("Flip Vertical: ", gSettings.flip.vertical);

  const ColorSettings& color = gSettings.color;
  if (color.enabled) {
    echo.Number("Brightness: ", color.brightness);
    if (color.brightness < -100 || color.brightness > 100) return "Error: Invalid brightness value";
    echo.Number("Contrast: ", color.contrast);
    if (color.contrast < -100 || color.contrast > 100) return "Error: Invalid contrast value";
    char gamma[32];
    std::snprintf(gamma, sizeof gamma, "%.2f", static_cast<double>(color.gamma));
    echo("Gamma: ", gamma);
    if (!(color.gamma >= 0.01f && color.gamma <= 9.99f)) return "Error: Invalid gamma value";
    echo.Flag("Invert: ", color.invert);
  }
  echo.Flag("Greyscale: ", color.greyscale);
  if (color.threshold) echo.Number("Image Threshold: ", color.thresholdLevel);

  const FrameSettings& frame = gSettings.frame;
  echo.Keyword("Frame: ", kFrameKindTable, Code(frame.kind));
  if (frame.kind == FrameKind::Solid) {
    echo.Number("Frame left: ", frame.left);
    echo.Number("Frame right: ", frame.right);
    echo.Number("Frame top: ", frame.top);
    echo.Number("Frame bottom: ", frame.bottom);
    echo("Frame left color: ", frame.leftColor);
    echo("Frame right color: ", frame.rightColor);
    echo("Frame top color: ", frame.topColor);
    echo("Frame bottom color: ", frame.bottomColor);
    echo.Number("Frame opacity: ", frame.opacity);
  }

  const WatermarkSettings& watermark = gSettings.watermark;
  echo.Keyword("Watermark: ", kWatermarkKindTable, Code(watermark.kind));
  if (watermark.kind == WatermarkKind::Text) {
    const TextWatermarkSettings& text = watermark.text;
    echo("Watermark text: ", text.text);
    echo("Watermark font: ", text.font);
    echo.Number("Watermark font size: ", text.fontSize);
    echo.Number("Watermark font leading: ", text.leading);
    echo("Watermark font color: ", text.fontColor);
    echo.Keyword("Watermark font style: ", kFontStyleTable, Code(text.fontStyle));
    echo.Keyword("Watermark font effect: ", kFontEffectTable, Code(text.fontEffect));
    echo.Flag("Watermark text antialiasing: ", text.antialiasing);
    echo.Keyword("Watermark text alignment: ", kTextAlignmentTable, Code(text.alignment));
    echo.Number("Watermark text padding: ", text.padding);
    echo.Number("Watermark text opacity: ", text.textOpacity);
    echo("Watermark background color: ", text.backColor);
    echo.Number("Watermark background opacity: ", text.backOpacity);
    EchoPlacement(echo, text.placement);
    watermarkFont = LoadRunFont(text);
    if (!watermarkFont) return "Error: Invalid watermark font";
  } else if (watermark.kind == WatermarkKind::Image) {
    const ImageWatermarkSettings& image = watermark.image;
    echo("Watermark image: ", image.path);
    echo.Flag("Watermark greyscale: ", image.greyscale);
    echo.Number("Watermark opacity: ", image.opacity);
    EchoPlacement(echo, image.placement);
    const auto size = FileSize(image.path);
    if (!size || *size <= 0) return "Error: Invalid watermark image";
  }

  const NamingSettings& naming = gSettings.naming;
  echo("Filename Mask: ", naming.filenameMask);
  echo.Keyword("File Timestamp: ", kTimestampTable, Code(naming.timestamp));
  if (naming.timestamp == TimestampMode::Custom)
    echo.Number("Custom Timestamp: ", naming.customTimestamp);
  echo.Flag("Keep Subfolders: ", naming.keepSubfolders);

  // Options of this build beyond the classic set: checked last, echoed only when given.
  const int32_t scale = gSettings.decoding.pictScale;
  if (scale != 1) echo.Number("PICT Scale: ", scale);
  if (scale < 1 || scale > kMaxPictScale) return "Error: Invalid pict-scale value";
  if (gJob.jobs) echo.Number("Jobs: ", *gJob.jobs);
  if (gJob.jobs && (*gJob.jobs < 1 || *gJob.jobs > kMaxJobs)) return "Error: Invalid jobs value";
  return std::nullopt;
}

// Checks the input and output and settles the input kind. Returns the first failure's
// message, or nothing.
std::optional<std::string> CheckInputAndOutput(const Echo& echo) {
  std::string message;
  echo("Input: ", gJob.input);
  std::string extension;
  if (HasExtension(gJob.input, extension)) {
    gJob.inputFile = gJob.input;
    gJob.input.clear();
    const auto size = FileSize(gJob.inputFile);
    if (!size || *size <= 0) return "Error: Invalid input file";
  } else {
    const auto folder = NormaliseFolder(gJob.input, "Error: Incorrect input folder",
                                        "Error: Invalid input folder", message);
    if (!folder) return message;
    gJob.input = *folder;
  }

  if (gJob.output.empty())
    gJob.output = gJob.input.empty() ? std::string(FolderPart(gJob.inputFile)) : gJob.input;
  echo("Output: ", gJob.output);
  const auto output = NormaliseFolder(gJob.output, "Error: Incorrect output folder",
                                      "Error: Invalid output folder", message);
  if (!output) return message;
  gJob.output = *output;

  if (gJob.conversion.empty()) gJob.conversion = kOutputFormats[0].extension;
  echo("Conversion: ", gJob.conversion);
  return std::nullopt;
}

}  // namespace

RunOutcome RunBatch(bool quiet) {
  const bool debug = gJob.debug == "DEBUG";
  const Echo echo(debug);
  auto status = [quiet](std::string_view line) {
    if (!quiet) PrintLine(line);
  };

  status(msg::kPreparing);
  Run run;
  auto stop = [](const std::string& failure) {
    PrintLine(failure);
    return RunOutcome::Stopped;
  };
  if (auto failure = CheckInputAndOutput(echo)) return stop(*failure);
  if (auto failure = CheckSettings(echo, run.watermarkFont)) return stop(*failure);

  run.settings = gSettings;
  run.outputFolder = gJob.output;
  run.extension = gJob.conversion;
  run.format = FindOutputFormat(gJob.conversion);
  run.targetBpp = gSettings.output.bpp[*OutputFormatIndex(gJob.conversion)];
  run.saveFlags = SaveFlags(*run.format, gSettings.output);
  run.converterDeadlineMs = gJob.converterDeadlineMs;
  run.debug = debug;

  status(msg::kImporting);
  gInputFiles.Clear();
  const int32_t imported = CollectInputs();
  status(SubstitutePlaceholders(msg::kImportComplete, std::to_string(imported)));
  if (imported == 0) {
    PrintLine(msg::kConversionStopped);
    PrintLine(msg::kEmptyInput);
    return RunOutcome::Stopped;
  }

  status(msg::kConverting);
  // The converter's TGA and the writers' intermediates live here, never among the user's
  // files; a run ended by a signal removes it too.
  const auto tempFolder = MakePrivateTempFolder();
  int32_t converted = 0;
  if (tempFolder) {
    const EndingAction removal([folder = *tempFolder] { RemoveFolderTree(folder); });
    run.tempFolder = *tempFolder;
    const bool showProgress = !quiet && IsErrorTerminal();
    const int jobs = gJob.jobs.value_or(std::min(UsableProcessorCount(), kMaxJobs));
    converted = ConvertAll(run, gInputFiles.entries(), jobs, showProgress);
    RemoveFolderTree(*tempFolder);
  } else {
    WriteError(ProgramName() + ": cannot make a private folder in " + TemporaryFolder() + "\n");
  }

  if (converted > 0) {
    status(msg::kConversionComplete);
    status(SubstitutePlaceholders(msg::kFilesConverted, std::to_string(converted),
                                  std::to_string(imported)));
  } else {
    PrintLine(msg::kConversionStopped);
  }
  return converted == imported ? RunOutcome::AllConverted : RunOutcome::SomeFailed;
}
