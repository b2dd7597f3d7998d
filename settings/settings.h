// settings/settings.h: the two records of a run, the Conversion settings and the job record,
// with every default in its declaration. The option pass makes them (app/options.h) and the
// driver hands them down; nothing holds them globally. Keyword fields hold the codes of their
// keyword tables (settings/keywords.h); the enums name those codes. Colour fields hold their
// text and the colour read from it once (settings/colour_text.h).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>

#include "settings/colour_text.h"
#include "settings/formats.h"
#include "settings/keywords.h"

// Read by nothing in this program, kept so that options and profiles accept them.
struct InputLoadingSettings {
  int32_t ddsLoadAs = 0;         // --DDS-LOAD-AS, table 0
  int32_t gifFrameLoading = 0;   // --GIF-FRAME-LOADING, table 2
  int32_t icoFrameLoading = 0;   // --ICO-FRAME-LOADING, table 2
  int32_t tiffFrameLoading = 0;  // --TIFF-FRAME-LOADING, table 2
  int32_t rawLoadAs = 0;         // --RAW-LOAD-AS, table 1
  int32_t rawHeaderSize = 0;     // --RAW-HEADER-SIZE
  int32_t rawWidth = 0;          // --RAW-WIDTH
  int32_t rawHeight = 0;         // --RAW-HEIGHT
  int32_t rawToneMapping = 2;    // --RAW-TONE-MAPPING, table 3 (AL)
};

// Compression fields hold codes of the shared compression table (table 4); their meaning
// depends on the format (see its row in settings/formats.cpp).
struct OutputFormatSettings {
  std::array<int32_t, kOutputFormatCount> bpp{};   // --BMP-BPP ... --XPM-BPP, by registry index; 0 = automatic
  int32_t bmpCompression = 0;                      // --BMP-COMPRESSION
  ColorTable bmpColorTable = ColorTable::Auto;     // --BMP-COLOR-TABLE
  int32_t exrCompression = 0;                      // --EXR-COMPRESSION
  int32_t jpgQuality = 95;                         // --JPG-QUALITY
  JpgChroma jpgChroma = JpgChroma::None;           // --JPG-CHROMA
  JpgSaveAs jpgSaveAs = JpgSaveAs::Standard;       // --JPG-SAVE-AS
  int32_t pngCompression = 0;                      // --PNG-COMPRESSION
  bool pngInterlaced = false;                      // --PNG-INTERLACED
  int32_t tgaCompression = 0;                      // --TGA-COMPRESSION
  int32_t tiffCompression = 0;                     // --TIFF-COMPRESSION
  TiffColorModel tiffColorModel = TiffColorModel::Rgb;  // --TIFF-COLOR-MODEL
};

struct RotationSettings {
  bool enabled = false;                        // Do Image Rotation, set by --ROTATION
  RotationType type = RotationType::Simple;    // --ROTATION-TYPE
  int32_t angle = 0;                           // --ROTATION
  ColourText backColor = "000000";             // --ROTATION-BACK-COLOR
};

struct ResizeSettings {
  bool enabled = false;                        // Do Image Resize, set by --WIDTH or --HEIGHT
  int32_t width = 0;                           // --WIDTH
  SizeUnit widthUnit = SizeUnit::Pixels;       // --WIDTH-UNIT
  int32_t height = 0;                          // --HEIGHT
  SizeUnit heightUnit = SizeUnit::Pixels;      // --HEIGHT-UNIT
  bool keepAspectRatio = false;                // --KEEP-ASPECT-RATIO (off on the command line)
  ResizeType type = ResizeType::AllImages;     // --RESIZE-TYPE
  ResizeAlgorithm algorithm = ResizeAlgorithm::Bicubic;  // --RESIZE-ALGORITHM
};

struct FlipSettings {
  bool horizontal = false;  // --FLIP-HORIZONTAL
  bool vertical = false;    // --FLIP-VERTICAL
};

struct ColorSettings {
  bool enabled = false;     // Do Image Color Correction, set by the four options below
  int32_t brightness = 0;   // --BRIGHTNESS, -100..100
  int32_t contrast = 0;     // --CONTRAST, -100..100
  float gamma = 1.0f;       // --GAMMA, 0.01..9.99
  bool invert = false;      // --INVERT
  bool greyscale = false;   // --GREYSCALE
  bool threshold = false;   // Do Image Threshold, set by --THRESHOLD
  int32_t thresholdLevel = 0;  // --THRESHOLD
};

struct FrameSettings {
  FrameKind kind = FrameKind::None;     // Do Frame, set by any of the four widths
  int32_t left = 0;                     // --FR-SOLID-LEFT
  int32_t right = 0;                    // --FR-SOLID-RIGHT
  int32_t top = 0;                      // --FR-SOLID-TOP
  int32_t bottom = 0;                   // --FR-SOLID-BOTTOM
  ColourText leftColor = "000000";      // --FR-SOLID-LEFT-COLOR
  ColourText rightColor = "000000";     // --FR-SOLID-RIGHT-COLOR
  ColourText topColor = "000000";       // --FR-SOLID-TOP-COLOR
  ColourText bottomColor = "000000";    // --FR-SOLID-BOTTOM-COLOR
  int32_t opacity = 255;                // --FR-SOLID-OPACITY (profile key --WM-SOLID-OPACITY)
};

// Where a watermark goes; the text and the image watermark each have their own.
struct PlacementSettings {
  Boundary boundary = Boundary::Image;        // --WM-TEXT-BOUNDARY / --WM-IMAGE-BOUNDARY
  Position position = Position::BottomRight;  // --WM-TEXT-POSITION / --WM-IMAGE-POSITION
  int32_t xOffset = 10;                       // --WM-TEXT-X-OFFSET / --WM-IMAGE-X-OFFSET
  int32_t yOffset = 10;                       // --WM-TEXT-Y-OFFSET / --WM-IMAGE-Y-OFFSET
  int32_t rotation = 0;                       // --WM-TEXT-ROTATION / --WM-IMAGE-ROTATION
  int32_t size = 0;                           // --WM-TEXT-SIZE / --WM-IMAGE-SIZE (FIXED only)
};

// Spelt with "(c)", which every terminal font can show.
inline constexpr const char* kCopyrightNotice = "Copyright (c) 2026 Quillmere";

struct TextWatermarkSettings {
  std::string text = kCopyrightNotice;          // --WM-TEXT
  std::string font = "Arial";                   // --WM-FONT
  int32_t fontSize = 14;                        // --WM-FONT-SIZE, points
  int32_t leading = 0;                          // --WM-FONT-LEADING
  ColourText fontColor = "FFFFFF";              // --WM-FONT-COLOR
  FontStyle fontStyle = FontStyle::Regular;     // --WM-FONT-STYLE
  FontEffect fontEffect = FontEffect::None;     // --WM-FONT-EFFECT
  bool antialiasing = false;                    // --WM-TEXT-ANTIALIASING
  TextAlignment alignment = TextAlignment::Left;  // --WM-TEXT-ALIGNMENT
  int32_t padding = 0;                          // --WM-TEXT-PADDING
  int32_t textOpacity = 255;                    // --WM-TEXT-OPACITY
  ColourText backColor = "000000";              // --WM-BACK-COLOR
  int32_t backOpacity = 1;                      // --WM-BACK-OPACITY (one: an almost invisible box)
  PlacementSettings placement;
};

struct ImageWatermarkSettings {
  std::string path;            // --WM-IMAGE
  bool greyscale = false;      // --WM-IMAGE-GREYSCALE
  int32_t opacity = 255;       // --WM-IMAGE-OPACITY
  PlacementSettings placement;
};

struct WatermarkSettings {
  WatermarkKind kind = WatermarkKind::None;  // Do Watermark: --WM-TEXT sets Text, --WM-IMAGE Image
  TextWatermarkSettings text;
  ImageWatermarkSettings image;
};

struct NamingSettings {
  std::string filenameMask = "%filename%.%ext%";    // --FILENAME-MASK
  TimestampMode timestamp = TimestampMode::Current;  // --FILE-TIMESTAMP
  int32_t customTimestamp = 0;   // --FILE-TIMESTAMP-CUSTOM, local wall-clock seconds; now by default
  bool keepSubfolders = true;    // Keep Subfolders, cleared by --NO-SUBFOLDERS
};

// How our own PICT decoder draws.
struct DecodingSettings {
  int32_t pictScale = 1;  // --PICT-SCALE, 1..8: the picture drawn at this many times its frame
  bool strict = false;    // --STRICT: a picture found damaged fails instead of being drawn in part
};

struct ConversionSettings {
  InputLoadingSettings input;
  DecodingSettings decoding;
  OutputFormatSettings output;
  RotationSettings rotation;
  ResizeSettings resize;
  FlipSettings flip;
  ColorSettings color;
  FrameSettings frame;
  WatermarkSettings watermark;
  NamingSettings naming;
};

// How long the external converter may take for one file: generous, ImageMagick decodes a
// 2000 x 1500 picture in well under a second here.
inline constexpr int32_t kConverterDeadlineMs = 60'000;

// The most files converted at once, and the largest --PICT-SCALE.
inline constexpr int32_t kMaxJobs = 64;
inline constexpr int32_t kMaxPictScale = 8;

// What the option pass read for the run besides the settings; the driver normalises the folders
// and then hands the run down in a record of its own (pipeline/run.h). What belongs to the file
// in hand travels in its own context (naming/file_context.h).
struct JobRecord {
  std::string programFolder;       // folder of the executable, ending in "/"
  std::string input;               // --INPUT; the normalised input folder, or empty for a file
  std::string inputFile;           // the -i file (a picture or a list) when it is no folder
  std::string output;              // --OUTPUT; the normalised output folder
  std::string conversion;          // --CONVERSION, stored unchanged
  bool inputGiven = false;         // -I/--INPUT was met
  bool debug = false;              // -D/--DEBUG
  int32_t converterDeadlineMs = kConverterDeadlineMs;  // then the converter is stopped
  std::optional<int32_t> jobs;     // --JOBS: files converted at once; none = one per usable CPU
  std::string report;              // --REPORT: the JSON Lines file each input's record goes to
  bool macFiles = false;           // --MAC-FILES: Macintosh files in wrappers are inputs too
  std::string listRoot;            // --LIST-ROOT; resolved by the driver, ending in "/"
  bool skipExisting = false;       // --SKIP-EXISTING
};

// The Conversion settings with every default; commandLine selects the flavour (keep-aspect-ratio
// off). The custom timestamp takes the local time of the call.
ConversionSettings DefaultSettings(bool commandLine);

// A job record before any option: the program folder, everything else empty.
JobRecord NewJobRecord();
