#include "app/options.h"

#include <cassert>
#include <charconv>
#include <optional>

#include "app/option_table.h"
#include "app/profile.h"
#include "platform/text.h"
#include "settings/formats.h"
#include "settings/keywords.h"
#include "settings/settings.h"

static constexpr std::string_view kIncorrectParameters = "Incorrect number of parameters";
static constexpr std::string_view kInvalidProfile = "Invalid profile file";

using V = StoredValue;
using K = OptionKind;
using S = StepFlag;
constexpr OptionPlace kAnywhere = OptionPlace::Anywhere;
constexpr OptionPlace kCommandLine = OptionPlace::CommandLineOnly;
constexpr OptionPlace kProfile = OptionPlace::ProfileOnly;

// The placements of the two watermarks, named short to keep the table one entry a line.
static PlacementSettings& TextPlace() { return gSettings.watermark.text.placement; }
static PlacementSettings& ImagePlace() { return gSettings.watermark.image.placement; }

// The --XXX-BPP options all write the depth of their format, found by the name.
static void StoreDepth(const V& v) {
  const std::string_view middle = v.option.substr(2, v.option.size() - 6);
  const std::optional<size_t> index = OutputFormatIndex(ToLower(middle));
  assert(index && "every --XXX-BPP option names an output format");
  gSettings.output.bpp[*index] = v.number;
}

static void StoreQuiet(const V& v) {
  assert(v.pass && "--QUIET exists only on the command line");
  v.pass->quiet = true;
}

static void StorePause(const V& v) {
  assert(v.pass && "--PAUSE exists only on the command line");
  v.pass->pause = true;
}

static void StoreExitStatus(const V& v) {
  assert(v.pass && "--EXIT-STATUS exists only on the command line");
  v.pass->exitStatus = true;
}

// A profile is applied at once, so that later options overwrite what it set.
static void ApplyProfile(const V& v) {
  assert(v.pass && "profiles cannot name further profiles");
  if (!ReadProfile(v.text)) v.pass->error = kInvalidProfile;
}

static constexpr OptionEntry kOptions[] = {
    // Front end.
    {"--INPUT", "-I", K::Path, -1, S::InputGiven, kCommandLine,
     [](const V& v) { gJob.input = v.text; }},
    {"--OUTPUT", "-O", K::Path, -1, S::None, kCommandLine,
     [](const V& v) { gJob.output = v.text; }},
    {"--CONVERSION", "-C", K::Extension, -1, S::None, kCommandLine,
     [](const V& v) { gJob.conversion = v.text; }},
    {"--PROFILE", "", K::Text, -1, S::None, kCommandLine, ApplyProfile},
    {"--NO-SUBFOLDERS", "", K::Flag, -1, S::None, kAnywhere,
     [](const V&) { gSettings.naming.keepSubfolders = false; }},
    {"--DEBUG", "-D", K::Flag, -1, S::None, kCommandLine, [](const V&) { gJob.debug = "DEBUG"; }},
    {"--QUIET", "-Q", K::Flag, -1, S::None, kCommandLine, StoreQuiet},
    {"--PAUSE", "-P", K::Flag, -1, S::None, kCommandLine, StorePause},
    {"--EXIT-STATUS", "", K::Flag, -1, S::None, kCommandLine, StoreExitStatus},
    {"--JOBS", "", K::Integer, -1, S::None, kAnywhere, [](const V& v) { gJob.jobs = v.number; }},

    // Input loading: accepted and kept, read by nothing in this program.
    {"--DDS-LOAD-AS", "", K::Keyword, kDdsLoadAsTable, S::None, kAnywhere,
     [](const V& v) { gSettings.input.ddsLoadAs = v.number; }},
    {"--GIF-FRAME-LOADING", "", K::Keyword, kFrameLoadingTable, S::None, kAnywhere,
     [](const V& v) { gSettings.input.gifFrameLoading = v.number; }},
    {"--ICO-FRAME-LOADING", "", K::Keyword, kFrameLoadingTable, S::None, kAnywhere,
     [](const V& v) { gSettings.input.icoFrameLoading = v.number; }},
    {"--RAW-LOAD-AS", "", K::Keyword, kRawLoadAsTable, S::None, kAnywhere,
     [](const V& v) { gSettings.input.rawLoadAs = v.number; }},
    {"--RAW-HEADER-SIZE", "", K::Integer, -1, S::None, kAnywhere,
     [](const V& v) { gSettings.input.rawHeaderSize = v.number; }},
    {"--RAW-WIDTH", "", K::Integer, -1, S::None, kAnywhere,
     [](const V& v) { gSettings.input.rawWidth = v.number; }},
    {"--RAW-HEIGHT", "", K::Integer, -1, S::None, kAnywhere,
     [](const V& v) { gSettings.input.rawHeight = v.number; }},
    {"--RAW-TONE-MAPPING", "", K::Keyword, kToneMappingTable, S::None, kAnywhere,
     [](const V& v) { gSettings.input.rawToneMapping = v.number; }},
    {"--TIFF-FRAME-LOADING", "", K::Keyword, kFrameLoadingTable, S::None, kAnywhere,
     [](const V& v) { gSettings.input.tiffFrameLoading = v.number; }},

    // Our PICT decoder.
    {"--PICT-SCALE", "", K::Integer, -1, S::None, kAnywhere,
     [](const V& v) { gSettings.decoding.pictScale = v.number; }},

    // Output formats.
    {"--BMP-BPP", "", K::Integer, -1, S::None, kAnywhere, StoreDepth},
    {"--BMP-COMPRESSION", "", K::Keyword, kCompressionTable, S::None, kAnywhere,
     [](const V& v) { gSettings.output.bmpCompression = v.number; }},
    {"--BMP-COLOR-TABLE", "", K::Keyword, kColorTableTable, S::None, kAnywhere,
     [](const V& v) { gSettings.output.bmpColorTable = static_cast<ColorTable>(v.number); }},
    {"--DDS-BPP", "", K::Integer, -1, S::None, kAnywhere, StoreDepth},
    {"--EXR-BPP", "", K::Integer, -1, S::None, kAnywhere, StoreDepth},
    {"--EXR-COMPRESSION", "", K::Keyword, kCompressionTable, S::None, kAnywhere,
     [](const V& v) { gSettings.output.exrCompression = v.number; }},
    {"--GIF-BPP", "", K::Integer, -1, S::None, kAnywhere, StoreDepth},
    {"--HDR-BPP", "", K::Integer, -1, S::None, kAnywhere, StoreDepth},
    {"--ICO-BPP", "", K::Integer, -1, S::None, kAnywhere, StoreDepth},
    {"--J2K-BPP", "", K::Integer, -1, S::None, kAnywhere, StoreDepth},
    {"--JNG-BPP", "", K::Integer, -1, S::None, kAnywhere, StoreDepth},
    {"--JP2-BPP", "", K::Integer, -1, S::None, kAnywhere, StoreDepth},
    {"--JPG-BPP", "", K::Integer, -1, S::None, kAnywhere, StoreDepth},
    {"--JPG-QUALITY", "", K::Integer, -1, S::None, kAnywhere,
     [](const V& v) { gSettings.output.jpgQuality = v.number; }},
    {"--JPG-CHROMA", "", K::Keyword, kJpgChromaTable, S::None, kAnywhere,
     [](const V& v) { gSettings.output.jpgChroma = static_cast<JpgChroma>(v.number); }},
    {"--JPG-SAVE-AS", "", K::Keyword, kJpgSaveAsTable, S::None, kAnywhere,
     [](const V& v) { gSettings.output.jpgSaveAs = static_cast<JpgSaveAs>(v.number); }},
    {"--JXR-BPP", "", K::Integer, -1, S::None, kAnywhere, StoreDepth},
    {"--PBM-BPP", "", K::Integer, -1, S::None, kAnywhere, StoreDepth},
    {"--PCX-BPP", "", K::Integer, -1, S::None, kAnywhere, StoreDepth},
    {"--PFM-BPP", "", K::Integer, -1, S::None, kAnywhere, StoreDepth},
    {"--PGM-BPP", "", K::Integer, -1, S::None, kAnywhere, StoreDepth},
    {"--PNG-BPP", "", K::Integer, -1, S::None, kAnywhere, StoreDepth},
    {"--PNG-COMPRESSION", "", K::Keyword, kCompressionTable, S::None, kAnywhere,
     [](const V& v) { gSettings.output.pngCompression = v.number; }},
    {"--PNG-INTERLACED", "", K::Flag, -1, S::None, kAnywhere,
     [](const V&) { gSettings.output.pngInterlaced = true; }},
    {"--PPM-BPP", "", K::Integer, -1, S::None, kAnywhere, StoreDepth},
    {"--PSD-BPP", "", K::Integer, -1, S::None, kAnywhere, StoreDepth},
    {"--TGA-BPP", "", K::Integer, -1, S::None, kAnywhere, StoreDepth},
    {"--TGA-COMPRESSION", "", K::Keyword, kCompressionTable, S::None, kAnywhere,
     [](const V& v) { gSettings.output.tgaCompression = v.number; }},
    {"--TIFF-BPP", "", K::Integer, -1, S::None, kAnywhere, StoreDepth},
    {"--TIFF-COMPRESSION", "", K::Keyword, kCompressionTable, S::None, kAnywhere,
     [](const V& v) { gSettings.output.tiffCompression = v.number; }},
    {"--TIFF-COLOR-MODEL", "", K::Keyword, kTiffColorModelTable, S::None, kAnywhere,
     [](const V& v) { gSettings.output.tiffColorModel = static_cast<TiffColorModel>(v.number); }},
    {"--WBMP-BPP", "", K::Integer, -1, S::None, kAnywhere, StoreDepth},
    {"--WEBP-BPP", "", K::Integer, -1, S::None, kAnywhere, StoreDepth},
    {"--XPM-BPP", "", K::Integer, -1, S::None, kAnywhere, StoreDepth},

    // Geometry.
    {"--ROTATION-TYPE", "", K::Keyword, kRotationTypeTable, S::None, kAnywhere,
     [](const V& v) { gSettings.rotation.type = static_cast<RotationType>(v.number); }},
    {"--ROTATION", "", K::Integer, -1, S::Rotation, kAnywhere,
     [](const V& v) { gSettings.rotation.angle = v.number; }},
    {"--ROTATION-BACK-COLOR", "", K::Text, -1, S::None, kAnywhere,
     [](const V& v) { gSettings.rotation.backColor = v.text; }},
    {"--WIDTH", "", K::Integer, -1, S::Resize, kAnywhere,
     [](const V& v) { gSettings.resize.width = v.number; }},
    {"--WIDTH-UNIT", "", K::Keyword, kSizeUnitTable, S::None, kAnywhere,
     [](const V& v) { gSettings.resize.widthUnit = static_cast<SizeUnit>(v.number); }},
    {"--HEIGHT", "", K::Integer, -1, S::Resize, kAnywhere,
     [](const V& v) { gSettings.resize.height = v.number; }},
    {"--HEIGHT-UNIT", "", K::Keyword, kSizeUnitTable, S::None, kAnywhere,
     [](const V& v) { gSettings.resize.heightUnit = static_cast<SizeUnit>(v.number); }},
    {"--KEEP-ASPECT-RATIO", "", K::Flag, -1, S::None, kAnywhere,
     [](const V&) { gSettings.resize.keepAspectRatio = true; }},
    {"--RESIZE-TYPE", "", K::Keyword, kResizeTypeTable, S::None, kAnywhere,
     [](const V& v) { gSettings.resize.type = static_cast<ResizeType>(v.number); }},
    {"--RESIZE-ALGORITHM", "", K::Keyword, kResizeAlgorithmTable, S::None, kAnywhere,
     [](const V& v) { gSettings.resize.algorithm = static_cast<ResizeAlgorithm>(v.number); }},
    {"--FLIP-HORIZONTAL", "", K::Flag, -1, S::None, kAnywhere,
     [](const V&) { gSettings.flip.horizontal = true; }},
    {"--FLIP-VERTICAL", "", K::Flag, -1, S::None, kAnywhere,
     [](const V&) { gSettings.flip.vertical = true; }},

    // Colour.
    {"--BRIGHTNESS", "", K::Integer, -1, S::ColorCorrection, kAnywhere,
     [](const V& v) { gSettings.color.brightness = v.number; }},
    {"--CONTRAST", "", K::Integer, -1, S::ColorCorrection, kAnywhere,
     [](const V& v) { gSettings.color.contrast = v.number; }},
    {"--GAMMA", "", K::Decimal, -1, S::ColorCorrection, kAnywhere,
     [](const V& v) { gSettings.color.gamma = v.decimal; }},
    {"--INVERT", "", K::Flag, -1, S::ColorCorrection, kAnywhere,
     [](const V&) { gSettings.color.invert = true; }},
    {"--GREYSCALE", "", K::Flag, -1, S::None, kAnywhere,
     [](const V&) { gSettings.color.greyscale = true; }},
    {"--THRESHOLD", "", K::Integer, -1, S::Threshold, kAnywhere,
     [](const V& v) { gSettings.color.thresholdLevel = v.number; }},

    // Frame. Profiles have always called the opacity key --WM-SOLID-OPACITY.
    {"--FR-SOLID-LEFT", "", K::Integer, -1, S::Frame, kAnywhere,
     [](const V& v) { gSettings.frame.left = v.number; }},
    {"--FR-SOLID-RIGHT", "", K::Integer, -1, S::Frame, kAnywhere,
     [](const V& v) { gSettings.frame.right = v.number; }},
    {"--FR-SOLID-TOP", "", K::Integer, -1, S::Frame, kAnywhere,
     [](const V& v) { gSettings.frame.top = v.number; }},
    {"--FR-SOLID-BOTTOM", "", K::Integer, -1, S::Frame, kAnywhere,
     [](const V& v) { gSettings.frame.bottom = v.number; }},
    {"--FR-SOLID-LEFT-COLOR", "", K::Text, -1, S::None, kAnywhere,
     [](const V& v) { gSettings.frame.leftColor = v.text; }},
    {"--FR-SOLID-RIGHT-COLOR", "", K::Text, -1, S::None, kAnywhere,
     [](const V& v) { gSettings.frame.rightColor = v.text; }},
    {"--FR-SOLID-TOP-COLOR", "", K::Text, -1, S::None, kAnywhere,
     [](const V& v) { gSettings.frame.topColor = v.text; }},
    {"--FR-SOLID-BOTTOM-COLOR", "", K::Text, -1, S::None, kAnywhere,
     [](const V& v) { gSettings.frame.bottomColor = v.text; }},
    {"--FR-SOLID-OPACITY", "", K::Integer, -1, S::None, kCommandLine,
     [](const V& v) { gSettings.frame.opacity = v.number; }},
    {"--WM-SOLID-OPACITY", "", K::Integer, -1, S::None, kProfile,
     [](const V& v) { gSettings.frame.opacity = v.number; }},

    // Text watermark.
    {"--WM-TEXT", "", K::Text, -1, S::TextWatermark, kAnywhere,
     [](const V& v) { gSettings.watermark.text.text = v.text; }},
    {"--WM-FONT", "", K::Text, -1, S::None, kAnywhere,
     [](const V& v) { gSettings.watermark.text.font = v.text; }},
    {"--WM-FONT-SIZE", "", K::Integer, -1, S::None, kAnywhere,
     [](const V& v) { gSettings.watermark.text.fontSize = v.number; }},
    {"--WM-FONT-LEADING", "", K::Integer, -1, S::None, kAnywhere,
     [](const V& v) { gSettings.watermark.text.leading = v.number; }},
    {"--WM-FONT-COLOR", "", K::Text, -1, S::None, kAnywhere,
     [](const V& v) { gSettings.watermark.text.fontColor = v.text; }},
    {"--WM-FONT-STYLE", "", K::Keyword, kFontStyleTable, S::None, kAnywhere,
     [](const V& v) { gSettings.watermark.text.fontStyle = static_cast<FontStyle>(v.number); }},
    {"--WM-FONT-EFFECT", "", K::Keyword, kFontEffectTable, S::None, kAnywhere,
     [](const V& v) { gSettings.watermark.text.fontEffect = static_cast<FontEffect>(v.number); }},
    {"--WM-TEXT-ANTIALIASING", "", K::Flag, -1, S::None, kAnywhere,
     [](const V&) { gSettings.watermark.text.antialiasing = true; }},
    {"--WM-TEXT-ALIGNMENT", "", K::Keyword, kTextAlignmentTable, S::None, kAnywhere,
     [](const V& v) { gSettings.watermark.text.alignment = static_cast<TextAlignment>(v.number); }},
    {"--WM-TEXT-PADDING", "", K::Integer, -1, S::None, kAnywhere,
     [](const V& v) { gSettings.watermark.text.padding = v.number; }},
    {"--WM-TEXT-OPACITY", "", K::Integer, -1, S::None, kAnywhere,
     [](const V& v) { gSettings.watermark.text.textOpacity = v.number; }},
    {"--WM-BACK-COLOR", "", K::Text, -1, S::None, kAnywhere,
     [](const V& v) { gSettings.watermark.text.backColor = v.text; }},
    {"--WM-BACK-OPACITY", "", K::Integer, -1, S::None, kAnywhere,
     [](const V& v) { gSettings.watermark.text.backOpacity = v.number; }},
    {"--WM-TEXT-BOUNDARY", "", K::Keyword, kBoundaryTable, S::None, kAnywhere,
     [](const V& v) { TextPlace().boundary = static_cast<Boundary>(v.number); }},
    {"--WM-TEXT-POSITION", "", K::Keyword, kPositionTable, S::None, kAnywhere,
     [](const V& v) { TextPlace().position = static_cast<Position>(v.number); }},
    {"--WM-TEXT-X-OFFSET", "", K::Integer, -1, S::None, kAnywhere,
     [](const V& v) { TextPlace().xOffset = v.number; }},
    {"--WM-TEXT-Y-OFFSET", "", K::Integer, -1, S::None, kAnywhere,
     [](const V& v) { TextPlace().yOffset = v.number; }},
    {"--WM-TEXT-ROTATION", "", K::Integer, -1, S::None, kAnywhere,
     [](const V& v) { TextPlace().rotation = v.number; }},
    {"--WM-TEXT-SIZE", "", K::Keyword, kWatermarkSizeTable, S::None, kAnywhere,
     [](const V& v) { TextPlace().size = v.number; }},

    // Image watermark.
    {"--WM-IMAGE", "", K::Text, -1, S::ImageWatermark, kAnywhere,
     [](const V& v) { gSettings.watermark.image.path = v.text; }},
    {"--WM-IMAGE-GREYSCALE", "", K::Flag, -1, S::None, kAnywhere,
     [](const V&) { gSettings.watermark.image.greyscale = true; }},
    {"--WM-IMAGE-OPACITY", "", K::Integer, -1, S::None, kAnywhere,
     [](const V& v) { gSettings.watermark.image.opacity = v.number; }},
    {"--WM-IMAGE-BOUNDARY", "", K::Keyword, kBoundaryTable, S::None, kAnywhere,
     [](const V& v) { ImagePlace().boundary = static_cast<Boundary>(v.number); }},
    {"--WM-IMAGE-POSITION", "", K::Keyword, kPositionTable, S::None, kAnywhere,
     [](const V& v) { ImagePlace().position = static_cast<Position>(v.number); }},
    {"--WM-IMAGE-X-OFFSET", "", K::Integer, -1, S::None, kAnywhere,
     [](const V& v) { ImagePlace().xOffset = v.number; }},
    {"--WM-IMAGE-Y-OFFSET", "", K::Integer, -1, S::None, kAnywhere,
     [](const V& v) { ImagePlace().yOffset = v.number; }},
    {"--WM-IMAGE-ROTATION", "", K::Integer, -1, S::None, kAnywhere,
     [](const V& v) { ImagePlace().rotation = v.number; }},
    {"--WM-IMAGE-SIZE", "", K::Keyword, kWatermarkSizeTable, S::None, kAnywhere,
     [](const V& v) { ImagePlace().size = v.number; }},

    // Naming.
    {"--FILENAME-MASK", "", K::MaskText, -1, S::None, kAnywhere,
     [](const V& v) { gSettings.naming.filenameMask = v.text; }},
    {"--FILE-TIMESTAMP", "", K::Keyword, kTimestampTable, S::None, kAnywhere,
     [](const V& v) { gSettings.naming.timestamp = static_cast<TimestampMode>(v.number); }},
    {"--FILE-TIMESTAMP-CUSTOM", "", K::Integer, -1, S::None, kAnywhere,
     [](const V& v) { gSettings.naming.customTimestamp = v.number; }},
};

const OptionEntry* FindOption(std::string_view upperName, bool inProfile) {
  if (upperName.empty()) return nullptr;
  const OptionPlace excluded = inProfile ? kCommandLine : kProfile;
  for (const OptionEntry& option : kOptions) {
    if (option.place == excluded) continue;
    if (option.name == upperName) return &option;
    if (!inProfile && option.shortName == upperName) return &option;
  }
  return nullptr;
}

static void SetStepFlag(StepFlag step) {
  switch (step) {
    case S::None: break;
    case S::InputGiven: gJob.inputGiven = true; break;
    case S::Rotation: gSettings.rotation.enabled = true; break;
    case S::Resize: gSettings.resize.enabled = true; break;
    case S::ColorCorrection: gSettings.color.enabled = true; break;
    case S::Threshold: gSettings.color.threshold = true; break;
    case S::Frame: gSettings.frame.kind = FrameKind::Solid; break;
    // The two watermark kinds exclude each other: the later option wins.
    case S::TextWatermark: gSettings.watermark.kind = WatermarkKind::Text; break;
    case S::ImageWatermark: gSettings.watermark.kind = WatermarkKind::Image; break;
  }
}

void StoreOption(const OptionEntry& option, std::string_view text, OptionPassResult* pass) {
  StoredValue value{option.name, std::string(text), 0, 0.0f, pass};
  switch (option.kind) {
    case K::Keyword: value.number = KeywordToCode(option.table, Trim(text, " ")); break;
    case K::Integer: value.number = ReadInteger(text); break;
    case K::Decimal: value.decimal = ReadDecimal(text); break;
    default: break;
  }
  SetStepFlag(option.step);
  option.store(value);
}

std::string OptionName(const std::vector<std::string>& parameters, size_t index) {
  if (index >= parameters.size()) return {};
  std::string_view text = Trim(parameters[index], " ");
  if (!text.starts_with('-')) return {};
  if (text.starts_with("--")) text = text.substr(0, text.find('='));
  return ToUpper(text);
}

std::string OptionValue(const std::vector<std::string>& parameters, size_t index) {
  if (index >= parameters.size()) return {};
  const std::string_view text = Trim(parameters[index], " ");
  const size_t equals = text.find('=');
  if (text.starts_with("--") && equals != std::string_view::npos)
    return std::string(text.substr(equals + 1));
  return std::string(text);
}

int32_t ReadInteger(std::string_view text) {
  size_t i = text.find_first_not_of(" \t");
  if (i == std::string_view::npos) return 0;
  bool negative = false;
  if (text[i] == '-' || text[i] == '+') negative = text[i++] == '-';
  int base = 10;
  if (i < text.size() && (text[i] == '$' || text[i] == '%')) base = text[i++] == '$' ? 16 : 2;
  // Unsigned arithmetic wraps, which keeps exactly the low 32 bits of long numbers.
  uint32_t result = 0;
  for (; i < text.size(); ++i) {
    const int digit = DigitValue(text[i], base);
    if (digit < 0) break;
    result = result * static_cast<uint32_t>(base) + static_cast<uint32_t>(digit);
  }
  if (negative) result = 0u - result;
  return static_cast<int32_t>(result);
}

float ReadDecimal(std::string_view text) {
  size_t i = text.find_first_not_of(" \t");
  if (i == std::string_view::npos) return 0.0f;
  bool negative = false;
  if (text[i] == '-' || text[i] == '+') negative = text[i++] == '-';
  const std::string_view number = text.substr(i);
  // from_chars would also take "inf" and "nan", which are no numbers to a user.
  const bool startsWithDigit =
      !number.empty() &&
      (DigitValue(number[0], 10) >= 0 ||
       (number.size() > 1 && number[0] == '.' && DigitValue(number[1], 10) >= 0));
  if (!startsWithDigit) return 0.0f;
  float value = 0.0f;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error != std::errc()) return 0.0f;
  return negative ? -value : value;
}

// Removes every leading and trailing double quote.
static std::string RemoveQuotes(std::string_view text) { return std::string(Trim(text, "\"")); }

// A value the caller split at spaces ("Hello, big, world") is joined back up to the parameter
// that closes its quote; the parameters joined are consumed.
static std::string JoinQuotes(std::string value, const std::vector<std::string>& parameters,
                              size_t& i) {
  if (!value.starts_with('"') || value.ends_with('"')) return value;
  while (i + 1 < parameters.size()) {
    ++i;
    value += ' ';
    value += OptionValue(parameters, i);
    if (value.ends_with('"')) break;
  }
  return value;
}

// Handles one option met at parameter i; i may move on past the parameters it consumes.
// Returns false when its value is missing or malformed.
static bool HandleOption(const OptionEntry& option, const std::string& name,
                         const std::vector<std::string>& parameters, size_t& i,
                         OptionPassResult& pass) {
  switch (option.kind) {
    case K::Flag: StoreOption(option, {}, &pass); return true;
    case K::Path:
    case K::Extension: {
      // -I counts as given the moment it is met, whatever follows.
      SetStepFlag(option.step);
      // The short form takes the next parameter; the long one needs "=value".
      if (name == option.shortName) ++i;
      std::string value = OptionValue(parameters, i);
      if (value.empty() || value.starts_with('-')) return false;
      if (option.kind == K::Path) value = JoinQuotes(std::move(value), parameters, i);
      StoreOption(option, RemoveQuotes(value), &pass);
      return true;
    }
    case K::Keyword:
    case K::Integer:
    case K::Decimal:
    case K::Text:
    case K::MaskText: {
      // Without "=value" the value is the option itself, which begins with "--".
      std::string value = OptionValue(parameters, i);
      if (value.empty() || value.starts_with("--")) return false;
      if (option.kind == K::Text || option.kind == K::MaskText)
        value = RemoveQuotes(JoinQuotes(std::move(value), parameters, i));
      StoreOption(option, value, &pass);
      return true;
    }
  }
  return true;
}

OptionPassResult RunOptionPass(const std::vector<std::string>& parameters) {
  OptionPassResult pass;
  for (size_t i = 0; i < parameters.size(); ++i) {
    const std::string name = OptionName(parameters, i);
    const OptionEntry* option = FindOption(name, false);
    if (!option) continue;  // stray values and unknown options are no errors
    if (!HandleOption(*option, name, parameters, i, pass)) pass.error = kIncorrectParameters;
    if (!pass.error.empty()) break;
  }
  return pass;
}
