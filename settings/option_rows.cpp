#include "settings/option_rows.h"

#include <array>
#include <cstdio>
#include <vector>

#include "platform/files.h"
#include "platform/text.h"
#include "settings/formats.h"
#include "settings/keywords.h"

namespace {

using K = OptionKind;
using S = StepFlag;
constexpr OptionPlace kCommandLine = OptionPlace::CommandLineOnly;
constexpr OptionPlace kProfile = OptionPlace::ProfileOnly;

constexpr std::string_view kColour = "RRGGBB";
constexpr std::string_view kOpacity = "steps from 0 (transparent) to 255 (opaque)";

constexpr OptionRow kInputOutput[] = {
    {.name = "--INPUT",
     .shortName = "-I",
     .kind = K::Path,
     .field = [](auto&, auto& j) { return &j.input; },
     .step = S::InputGiven,
     .place = kCommandLine,
     .valueName = "INPUT",
     .help = "What to convert: a PICT file (.pic, .pict, .pct), a list file (.txt or .lst, one "
             "file or folder a line) or a folder, whose whole tree is converted. A name with an "
             "extension is a file, one without is a folder.",
     .usage = {UsageGroup::Basic, 1, "FILE", "Set input file/list/folder"}},
    {.name = "--OUTPUT",
     .shortName = "-O",
     .kind = K::Path,
     .field = [](auto&, auto& j) { return &j.output; },
     .place = kCommandLine,
     .valueName = "FOLDER",
     .defaultText = "the folder of the input",
     .help = "The folder the converted pictures go to. It must exist; it is never created.",
     .usage = {UsageGroup::Basic, 2, "PATH", "Set output folder"}},
    {.name = "--CONVERSION",
     .shortName = "-C",
     .kind = K::Extension,
     .field = [](auto&, auto& j) { return &j.conversion; },
     .place = kCommandLine,
     .valueName = "FORMAT",
     .defaultText = "bmp",
     .help = "The output format, one of the 25 lower-case extensions under OUTPUT FORMATS "
             "(letter case counts: `JPG` is refused).",
     .usage = {UsageGroup::Basic, 3, "STR", "Set output extension, STR = (jpg | bmp | ...)"}},
    {.name = "--MAC-FILES",
     .field = [](auto&, auto& j) { return &j.macFiles; },
     .echo = {"Mac Files: ", Shown::WhenGiven},
     .help = "Also converts the pictures of Macintosh files, recognised by their content: each "
             "'PICT' resource of a file in BinHex (.hqx), MacBinary (.bin), AppleSingle, "
             "AppleDouble (`._name`, `__MACOSX/`, `.AppleDouble/`) or a bare resource fork "
             "(.rsrc) is a picture of its own, named after the file with `.PICT-ID` (and the "
             "resource's name) before the extension (see `%resource%`); so are a PICT without "
             "an extension and the data fork of a wrapper whose type is 'PICT'. A sidecar's "
             "pictures are named after its data fork and go where its output goes."},
    {.name = "--LIST-ROOT",
     .kind = K::Path,
     .field = [](auto&, auto& j) { return &j.listRoot; },
     .place = kCommandLine,
     .valueName = "FOLDER",
     .help = "With a list file (or one picture) as input: each file's output goes to the "
             "subfolder of the output folder that the file's own folder is of this one "
             "(`/archive/2019/x/a.pct` with `--list-root=/archive` to `OUTPUT/2019/x/`), so "
             "that a list run mirrors the tree as a folder run does. Folders are compared with their "
             "links resolved; a relative one is found from the current directory. A file "
             "outside it goes to the output folder itself, with a line on standard error. "
             "Refused with a folder as input (`Error: List root without a list file`) and when "
             "it is no folder (`Error: Invalid list root`); no effect with `--no-subfolders`."},
};

constexpr OptionRow kRunning[] = {
    {.name = "--PROFILE",
     .kind = K::Text,
     .place = kCommandLine,
     .action = PassAction::Profile,
     .valueName = "FILE",
     .help = "Applies the options of a profile file (see PROFILES) at this place among the "
             "options: earlier options may be overwritten by it, later ones overwrite it.",
     .usage = {UsageGroup::Advanced, 11, "FILE", "Set configuration file with required settings"}},
    {.name = "--QUIET",
     .shortName = "-Q",
     .place = kCommandLine,
     .action = PassAction::Quiet,
     .help = "Prints no banner and no status lines; errors and the debug lines still appear.",
     .usage = {UsageGroup::Other, 1, {}, "Don't print status messages to stdout"}},
    {.name = "--DEBUG",
     .shortName = "-D",
     .place = kCommandLine,
     .action = PassAction::Debug,
     .help = "Prints every effective setting before the conversion and, for each file, its "
             "input, its output and `OK` or `Not OK`.",
     .usage = {UsageGroup::Other, 2, {}, "Print debug information to stdout"}},
    {.name = "--PAUSE",
     .shortName = "-P",
     .place = kCommandLine,
     .action = PassAction::Pause,
     .help = "Waits for a key before the program ends.",
     .usage = {UsageGroup::Other, 3, {}, "Pause at exit"}},
    {.name = "--EXIT-STATUS",
     .place = kCommandLine,
     .action = PassAction::ExitStatus,
     .help = "Makes the exit code tell what happened (see EXIT STATUS); without it the exit "
             "code is always 0."},
    {.name = "--SKIP-EXISTING",
     .field = [](auto&, auto& j) { return &j.skipExisting; },
     .place = kCommandLine,
     .help = "Passes over each input whose output exists, is not empty and is not older than "
             "the input (in whole seconds), as a run that resumes an interrupted one needs; a "
             "line on standard error says how many, and the summary counts only the others. "
             "Refused before anything is converted when the filename mask holds `%n%` or "
             "`%rnd%`, whose numbers would move (`Error: --skip-existing with a numbered "
             "filename mask`). With `%bpp%`, `%width%` or `%height%` in the mask a file is "
             "converted to learn its name, and then not written."},
};

constexpr OptionRow kFormatOptions[] = {
    {.name = "--BMP-COMPRESSION",
     .kind = K::Keyword,
     .table = kCompressionTable,
     .field = [](auto& s, auto&) { return &s.output.bmpCompression; },
     .format = "bmp",
     .echo = {"BMP Compression: ", Shown::WithFormat},
     .help = "`RLE` compresses 8-bit pictures; other depths are written without compression."},
    {.name = "--BMP-COLOR-TABLE",
     .kind = K::Keyword,
     .table = kColorTableTable,
     .field = [](auto& s, auto&) { return &s.output.bmpColorTable; },
     .format = "bmp",
     .echo = {"BMP Color Table: ", Shown::WithFormat},
     .help = "`EXACT` gives an 8-bit picture a colour table that holds only the colours up to "
             "the highest one in use; `AUTO` writes all 256."},
    {.name = "--EXR-COMPRESSION",
     .kind = K::Keyword,
     .table = kCompressionTable,
     .field = [](auto& s, auto&) { return &s.output.exrCompression; },
     .format = "exr",
     .echo = {"EXR Compression: ", Shown::WithFormat},
     .help = "The OpenEXR compression."},
    {.name = "--JPG-QUALITY",
     .kind = K::Integer,
     .field = [](auto& s, auto&) { return &s.output.jpgQuality; },
     .format = "jpg",
     .echo = {"JPG Quality: ", Shown::WithFormat},
     .check = {CheckKind::Within, 1, 100, "Error: Invalid jpg-quality value", true},
     .help = "The JPEG quality: higher is better and larger."},
    {.name = "--JPG-CHROMA",
     .kind = K::Keyword,
     .table = kJpgChromaTable,
     .field = [](auto& s, auto&) { return &s.output.jpgChroma; },
     .format = "jpg",
     .echo = {"JPG Chroma Subsampling: ", Shown::WithFormat},
     .help = "Chroma subsampling: `NONE` keeps every colour sample (4:4:4), `LOW` is 4:2:2, "
             "`MEDIUM` 4:2:0 and `HIGH` 4:1:1."},
    {.name = "--JPG-SAVE-AS",
     .kind = K::Keyword,
     .table = kJpgSaveAsTable,
     .field = [](auto& s, auto&) { return &s.output.jpgSaveAs; },
     .format = "jpg",
     .echo = {"JPG Save As: ", Shown::WithFormat},
     .help = "`SIMPLE` writes a baseline JPEG, `OPTIMIZED` optimises the Huffman tables, "
             "`PROGRESSIVE` writes a progressive JPEG; `STANDARD` is the library's default."},
    {.name = "--PNG-COMPRESSION",
     .kind = K::Keyword,
     .table = kCompressionTable,
     .field = [](auto& s, auto&) { return &s.output.pngCompression; },
     .format = "png",
     .echo = {"PNG Compression: ", Shown::WithFormat},
     .help = "The zlib level: `ZLIB1` fastest, `ZLIB9` smallest; `NONE` stores the pixels."},
    {.name = "--PNG-INTERLACED",
     .field = [](auto& s, auto&) { return &s.output.pngInterlaced; },
     .format = "png",
     .echo = {"PNG Interlaced: ", Shown::WithFormat},
     .help = "Writes an interlaced (Adam7) PNG."},
    {.name = "--TGA-COMPRESSION",
     .kind = K::Keyword,
     .table = kCompressionTable,
     .field = [](auto& s, auto&) { return &s.output.tgaCompression; },
     .format = "tga",
     .echo = {"TGA Compression: ", Shown::WithFormat},
     .help = "`RLE` compresses the pixels."},
    {.name = "--TIFF-COMPRESSION",
     .kind = K::Keyword,
     .table = kCompressionTable,
     .field = [](auto& s, auto&) { return &s.output.tiffCompression; },
     .format = "tiff",
     .echo = {"TIFF Compression: ", Shown::WithFormat},
     .help = "The TIFF compression. Where a method cannot apply to the picture's depth the "
             "library uses another: the CCITT ones only for 1 bit, `JPEG` only for 24 bits and "
             "grey, `LOGLUV` only for 96 bits, `LZW` otherwise."},
    {.name = "--TIFF-COLOR-MODEL",
     .kind = K::Keyword,
     .table = kTiffColorModelTable,
     .field = [](auto& s, auto&) { return &s.output.tiffColorModel; },
     .format = "tiff",
     .echo = {"TIFF Color Model: ", Shown::WithFormat},
     .help = "`CMYK` stores 24-, 32- and 48-bit pictures as CMYK values; `RGB` and `LAB` store "
             "RGB."},
};

constexpr OptionRow kGeometry[] = {
    {.name = "--ROTATION-TYPE",
     .kind = K::Keyword,
     .table = kRotationTypeTable,
     .field = [](auto& s, auto&) { return &s.rotation.type; },
     .echo = {"Image Rotation Type: ", Shown::WithStep, S::Rotation},
     .help = "`SIMPLE` turns the whole picture and fills the corners with `--rotation-back-color`; "
             "`ADVANCED` keeps the size and fills the corners with mirrored picture."},
    {.name = "--ROTATION",
     .kind = K::Integer,
     .field = [](auto& s, auto&) { return &s.rotation.angle; },
     .step = S::Rotation,
     .echo = {"Image Rotation: ", Shown::WithStep, S::Rotation},
     .unit = "degrees, counter-clockwise",
     .help = "Turns the picture; only angles from 1 to 359 turn it."},
    {.name = "--ROTATION-BACK-COLOR",
     .kind = K::Text,
     .field = [](auto& s, auto&) { return &s.rotation.backColor; },
     .echo = {"Image Rotation Back Color: ", Shown::WithStep, S::Rotation},
     .valueName = kColour,
     .help = "The colour of the corners a `SIMPLE` rotation uncovers."},
    {.name = "--WIDTH",
     .kind = K::Integer,
     .field = [](auto& s, auto&) { return &s.resize.width; },
     .step = S::Resize,
     .echo = {"Width: ", Shown::WithStep, S::Resize, "--WIDTH-UNIT", " "},
     .check = {CheckKind::NotZero, 0, 0, "Error: Invalid width value"},
     .unit = "pixels, or percent with `--width-unit=percent`",
     .help = "Resizes the picture to this width. Resizing needs both `--width` and `--height`, "
             "neither of them 0.",
     .usage = {UsageGroup::Advanced, 1, "NUM", "Set output image width"}},
    {.name = "--WIDTH-UNIT",
     .kind = K::Keyword,
     .table = kSizeUnitTable,
     .field = [](auto& s, auto&) { return &s.resize.widthUnit; },
     .help = "The unit of `--width`."},
    {.name = "--HEIGHT",
     .kind = K::Integer,
     .field = [](auto& s, auto&) { return &s.resize.height; },
     .step = S::Resize,
     .echo = {"Height: ", Shown::WithStep, S::Resize, "--HEIGHT-UNIT", " "},
     .check = {CheckKind::NotZero, 0, 0, "Error: Invalid height value"},
     .unit = "pixels, or percent with `--height-unit=percent`",
     .help = "Resizes the picture to this height.",
     .usage = {UsageGroup::Advanced, 2, "NUM", "Set output image height"}},
    {.name = "--HEIGHT-UNIT",
     .kind = K::Keyword,
     .table = kSizeUnitTable,
     .field = [](auto& s, auto&) { return &s.resize.heightUnit; },
     .help = "The unit of `--height`."},
    {.name = "--KEEP-ASPECT-RATIO",
     .field = [](auto& s, auto&) { return &s.resize.keepAspectRatio; },
     .echo = {"Keep Aspect Ratio: ", Shown::WithStep, S::Resize},
     .help = "Keeps the picture's proportions: the longer side takes its target size and the "
             "other follows."},
    {.name = "--RESIZE-TYPE",
     .kind = K::Keyword,
     .table = kResizeTypeTable,
     .field = [](auto& s, auto&) { return &s.resize.type; },
     .echo = {"Image Resize Type: ", Shown::WithStep, S::Resize},
     .help = "`LARGEIMAGES` leaves a picture alone that is smaller than the target both ways; "
             "`ALLIMAGES` resizes every picture."},
    {.name = "--RESIZE-ALGORITHM",
     .kind = K::Keyword,
     .table = kResizeAlgorithmTable,
     .field = [](auto& s, auto&) { return &s.resize.algorithm; },
     .echo = {"Image Resize Algorithm: ", Shown::WithStep, S::Resize},
     .help = "The resampling filter (`LANCZOS` is Lanczos-3)."},
    {.name = "--FLIP-HORIZONTAL",
     .field = [](auto& s, auto&) { return &s.flip.horizontal; },
     .echo = {"Flip Horizontal: ", Shown::Always},
     .help = "Mirrors the picture left to right.",
     .usage = {UsageGroup::Advanced, 4, {}, "Flip output image horizontally"}},
    {.name = "--FLIP-VERTICAL",
     .field = [](auto& s, auto&) { return &s.flip.vertical; },
     .echo = {"Flip Vertical: ", Shown::Always},
     .help = "Turns the picture upside down.",
     .usage = {UsageGroup::Advanced, 5, {}, "Flip output image vertically"}},
};

constexpr OptionRow kColourRows[] = {
    {.name = "--BRIGHTNESS",
     .kind = K::Integer,
     .field = [](auto& s, auto&) { return &s.color.brightness; },
     .step = S::ColorCorrection,
     .echo = {"Brightness: ", Shown::WithStep, S::ColorCorrection},
     .check = {CheckKind::Within, -100, 100, "Error: Invalid brightness value"},
     .unit = "percent",
     .help = "Makes the picture brighter (above 0) or darker (below 0).",
     .usage = {UsageGroup::Advanced, 6, "NUM", "Set output image brightness"}},
    {.name = "--CONTRAST",
     .kind = K::Integer,
     .field = [](auto& s, auto&) { return &s.color.contrast; },
     .step = S::ColorCorrection,
     .echo = {"Contrast: ", Shown::WithStep, S::ColorCorrection},
     .check = {CheckKind::Within, -100, 100, "Error: Invalid contrast value"},
     .unit = "percent",
     .help = "Raises (above 0) or lowers (below 0) the contrast.",
     .usage = {UsageGroup::Advanced, 7, "NUM", "Set output image contrast"}},
    {.name = "--GAMMA",
     .kind = K::Decimal,
     .field = [](auto& s, auto&) { return &s.color.gamma; },
     .step = S::ColorCorrection,
     .echo = {"Gamma: ", Shown::WithStep, S::ColorCorrection},
     .check = {CheckKind::Within, 0.01, 9.99, "Error: Invalid gamma value"},
     .help = "Gamma correction: above 1 brightens the middle tones, below 1 darkens them. "
             "A point separates the decimals.",
     .usage = {UsageGroup::Advanced, 8, "NUM", "Set output image gamma"}},
    {.name = "--INVERT",
     .field = [](auto& s, auto&) { return &s.color.invert; },
     .step = S::ColorCorrection,
     .echo = {"Invert: ", Shown::WithStep, S::ColorCorrection},
     .help = "Makes a negative of the picture.",
     .usage = {UsageGroup::Advanced, 9, {}, "Invert output image"}},
    {.name = "--GREYSCALE",
     .field = [](auto& s, auto&) { return &s.color.greyscale; },
     .echo = {"Greyscale: ", Shown::Always},
     .help = "Turns the picture into grey levels.",
     .usage = {UsageGroup::Advanced, 10, {}, "Greyscale output image"}},
    {.name = "--THRESHOLD",
     .kind = K::Integer,
     .field = [](auto& s, auto&) { return &s.color.thresholdLevel; },
     .step = S::Threshold,
     .echo = {"Image Threshold: ", Shown::WithStep, S::Threshold},
     .unit = "grey levels, 0 to 255",
     .help = "Turns the picture into black and white: grey levels at or above this level "
             "become white."},
};

constexpr OptionRow kFrame[] = {
    {.name = {},
     .kind = K::Keyword,
     .table = kFrameKindTable,
     .field = [](auto& s, auto&) { return &s.frame.kind; },
     .echo = {"Frame: ", Shown::Always}},
    {.name = "--FR-SOLID-LEFT",
     .kind = K::Integer,
     .field = [](auto& s, auto&) { return &s.frame.left; },
     .step = S::Frame,
     .echo = {"Frame left: ", Shown::WithStep, S::Frame},
     .unit = "pixels",
     .help = "The width of the frame's left side; any of the four sides draws the frame."},
    {.name = "--FR-SOLID-RIGHT",
     .kind = K::Integer,
     .field = [](auto& s, auto&) { return &s.frame.right; },
     .step = S::Frame,
     .echo = {"Frame right: ", Shown::WithStep, S::Frame},
     .unit = "pixels",
     .help = "The width of the frame's right side."},
    {.name = "--FR-SOLID-TOP",
     .kind = K::Integer,
     .field = [](auto& s, auto&) { return &s.frame.top; },
     .step = S::Frame,
     .echo = {"Frame top: ", Shown::WithStep, S::Frame},
     .unit = "pixels",
     .help = "The width of the frame's top side."},
    {.name = "--FR-SOLID-BOTTOM",
     .kind = K::Integer,
     .field = [](auto& s, auto&) { return &s.frame.bottom; },
     .step = S::Frame,
     .echo = {"Frame bottom: ", Shown::WithStep, S::Frame},
     .unit = "pixels",
     .help = "The width of the frame's bottom side."},
    {.name = "--FR-SOLID-LEFT-COLOR",
     .kind = K::Text,
     .field = [](auto& s, auto&) { return &s.frame.leftColor; },
     .echo = {"Frame left color: ", Shown::WithStep, S::Frame},
     .valueName = kColour,
     .help = "The colour of the left side."},
    {.name = "--FR-SOLID-RIGHT-COLOR",
     .kind = K::Text,
     .field = [](auto& s, auto&) { return &s.frame.rightColor; },
     .echo = {"Frame right color: ", Shown::WithStep, S::Frame},
     .valueName = kColour,
     .help = "The colour of the right side."},
    {.name = "--FR-SOLID-TOP-COLOR",
     .kind = K::Text,
     .field = [](auto& s, auto&) { return &s.frame.topColor; },
     .echo = {"Frame top color: ", Shown::WithStep, S::Frame},
     .valueName = kColour,
     .help = "The colour of the top side."},
    {.name = "--FR-SOLID-BOTTOM-COLOR",
     .kind = K::Text,
     .field = [](auto& s, auto&) { return &s.frame.bottomColor; },
     .echo = {"Frame bottom color: ", Shown::WithStep, S::Frame},
     .valueName = kColour,
     .help = "The colour of the bottom side."},
    {.name = "--FR-SOLID-OPACITY",
     .kind = K::Integer,
     .field = [](auto& s, auto&) { return &s.frame.opacity; },
     .place = kCommandLine,
     .echo = {"Frame opacity: ", Shown::WithStep, S::Frame},
     .unit = kOpacity,
     .help = "The frame's opacity. In a profile this key is `--WM-SOLID-OPACITY`."},
    {.name = "--WM-SOLID-OPACITY",
     .kind = K::Integer,
     .field = [](auto& s, auto&) { return &s.frame.opacity; },
     .place = kProfile,
     .unit = kOpacity,
     .help = "The frame's opacity, as a profile spells `--fr-solid-opacity` (profiles only)."},
};

constexpr OptionRow kTextWatermark[] = {
    {.name = {},
     .kind = K::Keyword,
     .table = kWatermarkKindTable,
     .field = [](auto& s, auto&) { return &s.watermark.kind; },
     .echo = {"Watermark: ", Shown::Always}},
    {.name = "--WM-TEXT",
     .kind = K::Text,
     .field = [](auto& s, auto&) { return &s.watermark.text.text; },
     .step = S::TextWatermark,
     .echo = {"Watermark text: ", Shown::WithStep, S::TextWatermark},
     .valueName = "TEXT",
     .help = "Draws this text on every picture; it may hold the tokens of FILENAME MASKS, "
             "which are filled in for each file. The later of `--wm-text` and `--wm-image` wins."},
    {.name = "--WM-FONT",
     .kind = K::Text,
     .field = [](auto& s, auto&) { return &s.watermark.text.font; },
     .echo = {"Watermark font: ", Shown::WithStep, S::TextWatermark},
     .check = {CheckKind::FontLoads, 0, 0, "Error: Invalid watermark font", true},
     .valueName = "FONT",
     .help = "The font family, found through fontconfig; a family that is not installed is "
             "replaced by a similar one."},
    {.name = "--WM-FONT-SIZE",
     .kind = K::Integer,
     .field = [](auto& s, auto&) { return &s.watermark.text.fontSize; },
     .echo = {"Watermark font size: ", Shown::WithStep, S::TextWatermark},
     .unit = "points (at 96 dots per inch, so 14 points are 19 pixels)",
     .help = "The font size."},
    {.name = "--WM-FONT-LEADING",
     .kind = K::Integer,
     .field = [](auto& s, auto&) { return &s.watermark.text.leading; },
     .echo = {"Watermark font leading: ", Shown::WithStep, S::TextWatermark},
     .unit = "pixels",
     .help = "Extra space between the lines of the text."},
    {.name = "--WM-FONT-COLOR",
     .kind = K::Text,
     .field = [](auto& s, auto&) { return &s.watermark.text.fontColor; },
     .echo = {"Watermark font color: ", Shown::WithStep, S::TextWatermark},
     .valueName = kColour,
     .help = "The colour of the text."},
    {.name = "--WM-FONT-STYLE",
     .kind = K::Keyword,
     .table = kFontStyleTable,
     .field = [](auto& s, auto&) { return &s.watermark.text.fontStyle; },
     .echo = {"Watermark font style: ", Shown::WithStep, S::TextWatermark},
     .help = "Bold, italic or both."},
    {.name = "--WM-FONT-EFFECT",
     .kind = K::Keyword,
     .table = kFontEffectTable,
     .field = [](auto& s, auto&) { return &s.watermark.text.fontEffect; },
     .echo = {"Watermark font effect: ", Shown::WithStep, S::TextWatermark},
     .help = "Underlines or strikes out the text (the keyword is spelt `STRIKETHROUGHT`)."},
    {.name = "--WM-TEXT-ANTIALIASING",
     .field = [](auto& s, auto&) { return &s.watermark.text.antialiasing; },
     .echo = {"Watermark text antialiasing: ", Shown::WithStep, S::TextWatermark},
     .help = "Draws the text with smoothed edges; without it every pixel is ink or not."},
    {.name = "--WM-TEXT-ALIGNMENT",
     .kind = K::Keyword,
     .table = kTextAlignmentTable,
     .field = [](auto& s, auto&) { return &s.watermark.text.alignment; },
     .echo = {"Watermark text alignment: ", Shown::WithStep, S::TextWatermark},
     .help = "How the lines of a text of several lines line up."},
    {.name = "--WM-TEXT-PADDING",
     .kind = K::Integer,
     .field = [](auto& s, auto&) { return &s.watermark.text.padding; },
     .echo = {"Watermark text padding: ", Shown::WithStep, S::TextWatermark},
     .unit = "pixels",
     .help = "Room between the text and the edge of its background box."},
    {.name = "--WM-TEXT-OPACITY",
     .kind = K::Integer,
     .field = [](auto& s, auto&) { return &s.watermark.text.textOpacity; },
     .echo = {"Watermark text opacity: ", Shown::WithStep, S::TextWatermark},
     .unit = kOpacity,
     .help = "The opacity of the text (128 is about half)."},
    {.name = "--WM-BACK-COLOR",
     .kind = K::Text,
     .field = [](auto& s, auto&) { return &s.watermark.text.backColor; },
     .echo = {"Watermark background color: ", Shown::WithStep, S::TextWatermark},
     .valueName = kColour,
     .help = "The colour of the box behind the text."},
    {.name = "--WM-BACK-OPACITY",
     .kind = K::Integer,
     .field = [](auto& s, auto&) { return &s.watermark.text.backOpacity; },
     .echo = {"Watermark background opacity: ", Shown::WithStep, S::TextWatermark},
     .unit = kOpacity,
     .help = "The opacity of the box behind the text; the default 1 leaves it all but "
             "invisible."},
    {.name = "--WM-TEXT-BOUNDARY",
     .kind = K::Keyword,
     .table = kBoundaryTable,
     .field = [](auto& s, auto&) { return &s.watermark.text.placement.boundary; },
     .echo = {"Watermark boundary: ", Shown::WithStep, S::TextWatermark},
     .help = "`FRAME` places the text inside the frame, `IMAGE` on the whole picture."},
    {.name = "--WM-TEXT-POSITION",
     .kind = K::Keyword,
     .table = kPositionTable,
     .field = [](auto& s, auto&) { return &s.watermark.text.placement.position; },
     .echo = {"Watermark position: ", Shown::WithStep, S::TextWatermark},
     .help = "Where the text goes."},
    {.name = "--WM-TEXT-X-OFFSET",
     .kind = K::Integer,
     .field = [](auto& s, auto&) { return &s.watermark.text.placement.xOffset; },
     .echo = {"Watermark offset (x/y): ", Shown::WithStep, S::TextWatermark, "--WM-TEXT-Y-OFFSET",
              "/"},
     .unit = "pixels",
     .help = "Distance from the left or right edge the position names."},
    {.name = "--WM-TEXT-Y-OFFSET",
     .kind = K::Integer,
     .field = [](auto& s, auto&) { return &s.watermark.text.placement.yOffset; },
     .unit = "pixels",
     .help = "Distance from the top or bottom edge the position names."},
    {.name = "--WM-TEXT-ROTATION",
     .kind = K::Integer,
     .field = [](auto& s, auto&) { return &s.watermark.text.placement.rotation; },
     .echo = {"Watermark rotation: ", Shown::WithStep, S::TextWatermark},
     .unit = "degrees, counter-clockwise",
     .help = "Turns the text; only angles from 1 to 359 turn it."},
    {.name = "--WM-TEXT-SIZE",
     .kind = K::Keyword,
     .table = kWatermarkSizeTable,
     .field = [](auto& s, auto&) { return &s.watermark.text.placement.size; },
     .echo = {"Watermark size/mode: ", Shown::WithStep, S::TextWatermark},
     .help = "The text keeps its size (`FIXED` is the only mode)."},
};

constexpr OptionRow kImageWatermark[] = {
    {.name = "--WM-IMAGE",
     .kind = K::Text,
     .field = [](auto& s, auto&) { return &s.watermark.image.path; },
     .step = S::ImageWatermark,
     .echo = {"Watermark image: ", Shown::WithStep, S::ImageWatermark},
     .check = {CheckKind::FileNotEmpty, 0, 0, "Error: Invalid watermark image", true},
     .valueName = "FILE",
     .help = "Draws this picture (PNG, JPEG, BMP and other formats FreeImage reads; not PICT) "
             "on every picture. A relative name is found from the current folder."},
    {.name = "--WM-IMAGE-GREYSCALE",
     .field = [](auto& s, auto&) { return &s.watermark.image.greyscale; },
     .echo = {"Watermark greyscale: ", Shown::WithStep, S::ImageWatermark},
     .help = "Draws the watermark picture in grey levels."},
    {.name = "--WM-IMAGE-OPACITY",
     .kind = K::Integer,
     .field = [](auto& s, auto&) { return &s.watermark.image.opacity; },
     .echo = {"Watermark opacity: ", Shown::WithStep, S::ImageWatermark},
     .unit = kOpacity,
     .help = "The opacity of the watermark picture."},
    {.name = "--WM-IMAGE-BOUNDARY",
     .kind = K::Keyword,
     .table = kBoundaryTable,
     .field = [](auto& s, auto&) { return &s.watermark.image.placement.boundary; },
     .echo = {"Watermark boundary: ", Shown::WithStep, S::ImageWatermark},
     .help = "`FRAME` places the watermark inside the frame, `IMAGE` on the whole picture."},
    {.name = "--WM-IMAGE-POSITION",
     .kind = K::Keyword,
     .table = kPositionTable,
     .field = [](auto& s, auto&) { return &s.watermark.image.placement.position; },
     .echo = {"Watermark position: ", Shown::WithStep, S::ImageWatermark},
     .help = "Where the watermark goes."},
    {.name = "--WM-IMAGE-X-OFFSET",
     .kind = K::Integer,
     .field = [](auto& s, auto&) { return &s.watermark.image.placement.xOffset; },
     .echo = {"Watermark offset (x/y): ", Shown::WithStep, S::ImageWatermark, "--WM-IMAGE-Y-OFFSET",
              "/"},
     .unit = "pixels",
     .help = "Distance from the left or right edge the position names."},
    {.name = "--WM-IMAGE-Y-OFFSET",
     .kind = K::Integer,
     .field = [](auto& s, auto&) { return &s.watermark.image.placement.yOffset; },
     .unit = "pixels",
     .help = "Distance from the top or bottom edge the position names."},
    {.name = "--WM-IMAGE-ROTATION",
     .kind = K::Integer,
     .field = [](auto& s, auto&) { return &s.watermark.image.placement.rotation; },
     .echo = {"Watermark rotation: ", Shown::WithStep, S::ImageWatermark},
     .unit = "degrees, counter-clockwise",
     .help = "Turns the watermark picture; only angles from 1 to 359 turn it."},
    {.name = "--WM-IMAGE-SIZE",
     .kind = K::Keyword,
     .table = kWatermarkSizeTable,
     .field = [](auto& s, auto&) { return &s.watermark.image.placement.size; },
     .echo = {"Watermark size/mode: ", Shown::WithStep, S::ImageWatermark},
     .help = "The watermark keeps its size (`FIXED` is the only mode)."},
};

constexpr OptionRow kNaming[] = {
    {.name = "--FILENAME-MASK",
     .kind = K::MaskText,
     .field = [](auto& s, auto&) { return &s.naming.filenameMask; },
     .echo = {"Filename Mask: ", Shown::Always},
     .valueName = "MASK",
     .help = "The name of each output file, with the tokens of FILENAME MASKS; the rest of the "
             "mask is lower-cased.",
     .usage = {UsageGroup::Advanced, 3, "STR", "Define output filename format"}},
    {.name = "--FILE-TIMESTAMP",
     .kind = K::Keyword,
     .table = kTimestampTable,
     .field = [](auto& s, auto&) { return &s.naming.timestamp; },
     .echo = {"File Timestamp: ", Shown::Always},
     .help = "The modification time of each output file: `CURRENT` leaves the time of writing, "
             "`ORIGINAL` copies the input's, `CUSTOM` sets `--file-timestamp-custom`."},
    {.name = "--FILE-TIMESTAMP-CUSTOM",
     .kind = K::Integer,
     .field = [](auto& s, auto&) { return &s.naming.customTimestamp; },
     .echo = {"Custom Timestamp: ", Shown::WithCustomTimestamp},
     .valueName = "SECONDS",
     .unit = "seconds since 1970-01-01 00:00:00, local time",
     .defaultText = "the time the run starts",
     .help = "The modification time `--file-timestamp=custom` gives."},
    {.name = "--NO-SUBFOLDERS",
     .field = [](auto& s, auto&) { return &s.naming.keepSubfolders; },
     .clears = true,
     .echo = {"Keep Subfolders: ", Shown::Always},
     .help = "Writes every picture of a folder tree straight into the output folder instead of "
             "into subfolders that mirror the input's."},
};

constexpr OptionRow kDecodingAndSpeed[] = {
    {.name = "--PICT-SCALE",
     .kind = K::Integer,
     .field = [](auto& s, auto&) { return &s.decoding.pictScale; },
     .echo = {"PICT Scale: ", Shown::WhenGiven},
     .check = {CheckKind::Within, 1, kMaxPictScale, "Error: Invalid pict-scale value"},
     .help = "Draws each picture this many times its size, as QuickDraw draws into a larger "
             "rectangle: lines, shapes and text stay sharp, bitmaps and pixmaps become blocks "
             "of N x N pixels. A picture only ImageMagick or FreeImage can read is enlarged the "
             "same way, each pixel a block, so the size never depends on the decoder."},
    {.name = "--JOBS",
     .kind = K::Integer,
     .field = [](auto&, auto& j) { return &j.jobs; },
     .echo = {"Jobs: ", Shown::WhenGiven},
     .check = {CheckKind::Within, 1, kMaxJobs, "Error: Invalid jobs value"},
     .defaultText = "one per processor the program may use",
     .help = "How many files are converted at once, each by a worker process of its own; 1 "
             "converts them one after another in the program itself. The files written, their "
             "names and numbers and the lines printed are the same for any number."},
    {.name = "--STRICT",
     .field = [](auto& s, auto&) { return &s.decoding.strict; },
     .echo = {"Strict: ", Shown::WhenGiven},
     .help = "Fails a picture the decoder found damaged (its reason line is the damage) instead "
             "of converting the part drawn before the damage with a warning."},
    {.name = "--REPORT",
     .kind = K::Path,
     .field = [](auto&, auto& j) { return &j.report; },
     .place = kCommandLine,
     .echo = {"Report: ", Shown::WhenGiven},
     .valueName = "FILE",
     .help = "Appends one JSON object per input to FILE (JSON Lines, see REPORT), in input order, "
             "each written as its input settles; the file is found from the current directory, "
             "created when missing, and a run that cannot open it stops before anything is "
             "converted."},
};

constexpr OptionRow kOtherInputs[] = {
    {.name = "--DDS-LOAD-AS",
     .kind = K::Keyword,
     .table = kDdsLoadAsTable,
     .field = [](auto& s, auto&) { return &s.input.ddsLoadAs; },
     .help = "How DDS pictures would be loaded."},
    {.name = "--GIF-FRAME-LOADING",
     .kind = K::Keyword,
     .table = kFrameLoadingTable,
     .field = [](auto& s, auto&) { return &s.input.gifFrameLoading; },
     .help = "Which frames of a GIF would be loaded."},
    {.name = "--ICO-FRAME-LOADING",
     .kind = K::Keyword,
     .table = kFrameLoadingTable,
     .field = [](auto& s, auto&) { return &s.input.icoFrameLoading; },
     .help = "Which pictures of an icon file would be loaded."},
    {.name = "--RAW-LOAD-AS",
     .kind = K::Keyword,
     .table = kRawLoadAsTable,
     .field = [](auto& s, auto&) { return &s.input.rawLoadAs; },
     .help = "The depth camera RAW pictures would be loaded at."},
    {.name = "--RAW-HEADER-SIZE",
     .kind = K::Integer,
     .field = [](auto& s, auto&) { return &s.input.rawHeaderSize; },
     .help = "The header size of headerless RAW files."},
    {.name = "--RAW-WIDTH",
     .kind = K::Integer,
     .field = [](auto& s, auto&) { return &s.input.rawWidth; },
     .help = "The width of headerless RAW files."},
    {.name = "--RAW-HEIGHT",
     .kind = K::Integer,
     .field = [](auto& s, auto&) { return &s.input.rawHeight; },
     .help = "The height of headerless RAW files."},
    {.name = "--RAW-TONE-MAPPING",
     .kind = K::Keyword,
     .table = kToneMappingTable,
     .field = [](auto& s, auto&) { return &s.input.rawToneMapping; },
     .help = "The tone mapping of high dynamic range RAW pictures."},
    {.name = "--TIFF-FRAME-LOADING",
     .kind = K::Keyword,
     .table = kFrameLoadingTable,
     .field = [](auto& s, auto&) { return &s.input.tiffFrameLoading; },
     .help = "Which pages of a TIFF would be loaded."},
};

// The --XXX-BPP option of every output format: its name, message and echo label come from the
// format's extension, its check from the format's depths.
struct DepthRows {
  std::array<std::string, kOutputFormatCount> names, labels, errors, helps;
  std::array<OptionRow, kOutputFormatCount> rows;
};

const DepthRows& MakeDepthRows() {
  static const DepthRows depth = [] {
    DepthRows made;
    for (size_t i = 0; i < kOutputFormatCount; ++i) {
      const std::string_view extension = kOutputFormats[i].extension;
      made.names[i] = "--" + ToUpper(extension) + "-BPP";
      made.labels[i] = ToUpper(extension) + " BPP: ";
      made.errors[i] = "Error: Invalid " + std::string(extension) + "-bpp value";
      std::string depths;
      for (const int depth : kOutputFormats[i].depths)
        depths += (depths.empty() ? "" : ", ") + std::to_string(depth);
      made.helps[i] = "The bit depth of " + std::string(extension) + " files: " + depths +
                      ", or 0 to choose one for each picture. Checked only when the output is " +
                      std::string(extension) + ".";
      // A page of vectors has no depth; the option is still there, so every format has one.
      if (IsVectorFormat(kOutputFormats[i]))
        made.helps[i] = "Accepted as for the other formats (" + depths +
                        " or 0) and otherwise ignored: " + std::string(extension) +
                        " pages have no bit depth, their drawings keep their colours.";
      made.rows[i] = {.name = made.names[i],
                      .kind = K::Integer,
                      .field = {[](auto& s, auto&) { return &s.output.bpp; }, i},
                      .format = extension,
                      .echo = {made.labels[i], Shown::WithFormat},
                      .check = {CheckKind::AllowedDepth, 0, 0, made.errors[i], true},
                      .valueName = "BITS",
                      .help = made.helps[i]};
    }
    return made;
  }();
  return depth;
}

// The sections as the documentation shows them; their order is also the echo's.
struct Sections {
  std::vector<OptionRow> formatRows;
  std::vector<OptionSection> sections;
  std::vector<OptionRow> all;
};

const Sections& MakeSections() {
  static const Sections made = [] {
    Sections s;
    const DepthRows& depth = MakeDepthRows();
    s.formatRows.assign(depth.rows.begin(), depth.rows.end());
    s.formatRows.insert(s.formatRows.end(), std::begin(kFormatOptions), std::end(kFormatOptions));
    s.sections = {
        {"Input and output", {}, kInputOutput},
        {"Running", {}, kRunning},
        {"Output formats",
         "Each format has a depth option; a few have options of their own, which count only "
         "when that format is the output.",
         s.formatRows},
        {"Turning, resizing and flipping", {}, kGeometry},
        {"Colours", "Brightness, contrast, gamma and invert are applied together, in this order.",
         kColourRows},
        {"Frame",
         "A solid frame drawn over the picture's edges, with mitred corners; each side has its "
         "own width and colour.",
         kFrame},
        {"Text watermark", {}, kTextWatermark},
        {"Image watermark", {}, kImageWatermark},
        {"Output names and times", {}, kNaming},
        {"Drawing and speed", {}, kDecodingAndSpeed},
        {"Options of other input formats",
         "Accepted for compatibility, also in profiles; they change nothing, since this program "
         "reads PICT only.",
         kOtherInputs},
    };
    for (const OptionSection& section : s.sections)
      s.all.insert(s.all.end(), section.rows.begin(), section.rows.end());
    return s;
  }();
  return made;
}

std::string TwoDecimals(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", static_cast<double>(value));
  return text;
}

// The value as the echo shows it: keywords by the row's table (compression keywords by the
// row's format), flags as 1 or 0, decimals with two places.
std::string ValueText(const OptionRow& row, const FieldValue& value) {
  if (const auto* number = std::get_if<int32_t>(&value)) {
    if (row.table == kCompressionTable)
      return CompressionKeyword(*FindOutputFormat(row.format), *number);
    if (row.table != kNoKeywordTable) return KeywordText(row.table, *number);
    return std::to_string(*number);
  }
  if (const auto* flag = std::get_if<bool>(&value)) return *flag ? "1" : "0";
  if (const auto* decimal = std::get_if<float>(&value)) return TwoDecimals(*decimal);
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  return {};
}

}  // namespace

std::span<const OptionSection> OptionSections() { return MakeSections().sections; }

std::span<const OptionRow> OptionRows() { return MakeSections().all; }

const OptionRow* FindRow(std::string_view name) {
  if (name.empty()) return nullptr;
  for (const OptionRow& row : OptionRows())
    if (row.name == name) return &row;
  return nullptr;
}

void SwitchOnStep(StepFlag step, ConversionSettings& settings, JobRecord& job) {
  switch (step) {
    case S::None:
      break;
    case S::InputGiven:
      job.inputGiven = true;
      break;
    case S::Rotation:
      settings.rotation.enabled = true;
      break;
    case S::Resize:
      settings.resize.enabled = true;
      break;
    case S::ColorCorrection:
      settings.color.enabled = true;
      break;
    case S::Threshold:
      settings.color.threshold = true;
      break;
    case S::Frame:
      settings.frame.kind = FrameKind::Solid;
      break;
    // The two watermark kinds exclude each other: the later option wins.
    case S::TextWatermark:
      settings.watermark.kind = WatermarkKind::Text;
      break;
    case S::ImageWatermark:
      settings.watermark.kind = WatermarkKind::Image;
      break;
  }
}

bool IsStepOn(StepFlag step, const ConversionSettings& settings) {
  switch (step) {
    case S::None:
      return true;
    case S::InputGiven:
      return false;
    case S::Rotation:
      return settings.rotation.enabled;
    case S::Resize:
      return settings.resize.enabled;
    case S::ColorCorrection:
      return settings.color.enabled;
    case S::Threshold:
      return settings.color.threshold;
    case S::Frame:
      return settings.frame.kind == FrameKind::Solid;
    case S::TextWatermark:
      return settings.watermark.kind == WatermarkKind::Text;
    case S::ImageWatermark:
      return settings.watermark.kind == WatermarkKind::Image;
  }
  return false;
}

bool IsShown(const OptionRow& row, const ConversionSettings& settings, const JobRecord& job,
             std::string_view outputFormat) {
  switch (row.echo.when) {
    case Shown::Never:
      return false;
    case Shown::Always:
      return true;
    case Shown::WithStep:
      return IsStepOn(row.echo.step, settings);
    case Shown::WithFormat:
      return row.format == outputFormat;
    case Shown::WithCustomTimestamp:
      return settings.naming.timestamp == TimestampMode::Custom;
    case Shown::WhenGiven: {
      static const ConversionSettings kDefaultSettings;
      static const JobRecord kDefaultJob;
      return row.field.Get(settings, job) != row.field.Get(kDefaultSettings, kDefaultJob);
    }
  }
  return false;
}

std::string FieldText(const OptionRow& row, const ConversionSettings& settings,
                      const JobRecord& job) {
  return ValueText(row, row.field.Get(settings, job));
}

std::string EchoText(const OptionRow& row, const ConversionSettings& settings,
                     const JobRecord& job) {
  std::string text = FieldText(row, settings, job);
  if (const OptionRow* joined = FindRow(row.echo.joined))
    text += std::string(row.echo.separator) + FieldText(*joined, settings, job);
  return text;
}

bool PassesCheck(const OptionRow& row, const ConversionSettings& settings, const JobRecord& job) {
  const FieldValue value = row.field.Get(settings, job);
  const auto* number = std::get_if<int32_t>(&value);
  switch (row.check.kind) {
    case CheckKind::None:
    case CheckKind::FontLoads:
      return true;
    case CheckKind::Within:
      // A float is compared with the bounds as floats: 0.01 passes as it was read.
      if (const auto* decimal = std::get_if<float>(&value))
        return *decimal >= static_cast<float>(row.check.low) &&
               *decimal <= static_cast<float>(row.check.high);
      return !number || (*number >= row.check.low && *number <= row.check.high);
    case CheckKind::NotZero:
      return !number || *number != 0;
    case CheckKind::AllowedDepth:
      return number && IsAllowedDepth(row.format, *number);
    case CheckKind::FileNotEmpty: {
      const auto* path = std::get_if<std::string>(&value);
      const auto size = path ? FileSize(*path) : std::nullopt;
      return size && *size > 0;
    }
  }
  return true;
}
