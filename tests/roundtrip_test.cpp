// Every output format at every depth its registry entry allows: the file written through the
// depth step and the writer opens in another reader with the right format, size and depth.
#include <IL/il.h>
#include <IL/ilu.h>
#include <gtest/gtest.h>

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "pipeline/depth.h"
#include "pipeline/save.h"
#include "platform/files.h"
#include "tests/support/run_program.h"

namespace {

class DevilEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    ilInit();
    iluInit();
  }
};
const auto* const kDevil = ::testing::AddGlobalTestEnvironment(new DevilEnvironment);

// The letter F, opaque red on half-transparent blue, on a 6 x 5 grid stretched over the
// picture. The transparency keeps 32-bit PNG and WebP files from being stored as 24-bit.
Bitmap LetterF(unsigned width, unsigned height) {
  static const char* const kRows[] = {".XXXX.", ".X....", ".XXX..", ".X....", ".X...."};
  Bitmap picture(FreeImage_Allocate(static_cast<int>(width), static_cast<int>(height), 32));
  for (unsigned y = 0; y < height; ++y)
    for (unsigned x = 0; x < width; ++x) {
      const bool ink = kRows[(height - 1 - y) * 5 / height][x * 6 / width] == 'X';
      RGBQUAD colour = ink ? RGBQUAD{0, 0, 255, 255} : RGBQUAD{255, 0, 0, 96};
      FreeImage_SetPixelColor(picture.get(), x, y, &colour);
    }
  return picture;
}

struct Case {
  std::string extension;
  unsigned width, height;  // see the sizes below
  std::string magick;      // how ImageMagick names the format it finds
  int readBackBpp = 0;     // depth FreeImage reads back when it is not the written one
};
void PrintTo(const Case& format, std::ostream* out) { *out << format.extension; }

// Icons must be square (16 to 256 pixels); JPEG 2000 needs 32 pixels each way; FreeImage reads
// DXT-compressed DDS only in whole 4 x 4 blocks. XPM stores a colour table, which FreeImage
// reads as an 8-bit palette picture.
const Case kCases[] = {
    {"bmp", 6, 5, "BMP"},   {"dds", 64, 32, "DDS"}, {"exr", 6, 5, "EXR"},   {"gif", 6, 5, "GIF"},
    {"hdr", 6, 5, "HDR"},   {"ico", 32, 32, "ICO"}, {"j2k", 48, 40, "J2K"}, {"jng", 6, 5, "JNG"},
    {"jp2", 48, 40, "JP2"}, {"jpg", 6, 5, "JPEG"},  {"jxr", 6, 5, ""},      {"pbm", 6, 5, "PBM"},
    {"pcx", 6, 5, "PCX"},   {"pfm", 6, 5, "PFM"},   {"pgm", 6, 5, "PGM"},   {"png", 6, 5, "PNG"},
    {"ppm", 6, 5, "PPM"},   {"psd", 6, 5, "PSD"},   {"tga", 6, 5, "TGA"},   {"tiff", 6, 5, "TIFF"},
    {"wbmp", 6, 5, "WBMP"}, {"webp", 6, 5, "WEBP"}, {"xpm", 6, 5, "XPM", 8}};

std::vector<int> AllowedDepths(std::string_view extension) {
  std::vector<int> depths;
  std::string_view list = kOutputFormats[*OutputFormatIndex(extension)].allowedDepths;
  while (!list.empty()) {
    const size_t comma = std::min(list.find(','), list.size());
    int depth = 0;
    std::from_chars(list.data(), list.data() + comma, depth);
    depths.push_back(depth);
    list.remove_prefix(std::min(comma + 1, list.size()));
  }
  return depths;
}

std::string Capture(const std::string& command) {
  std::string output;
  FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (!pipe) return output;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  pclose(pipe);
  return output;
}

// ImageMagick's format name and size of the first picture in the file.
std::string IdentifyFirst(const std::string& path) {
  const std::string all = Capture("identify -format '%m %w %h\\n' '" + path + "'");
  return all.substr(0, all.find('\n'));
}

// A JPEG XR file decoded by jxrlib's own decoder into a file FreeImage reads.
Bitmap DecodeJxr(const std::string& path, int bpp, const std::string& folder) {
  const std::string decoded = folder + (bpp == 16 ? "decoded.bmp" : "decoded.tif");
  const std::string command = "JxrDecApp -i '" + path + "' -o '" + decoded + "' >/dev/null";
  if (std::system(command.c_str()) != 0) return {};
  Bitmap picture(LoadAny(decoded));
  RemoveFile(decoded);
  return picture;
}

}  // namespace

class RoundTrip : public ::testing::TestWithParam<Case> {};

TEST_P(RoundTrip, EveryAllowedDepthOpensElsewhereWithItsFormatSizeAndDepth) {
  const Case& format = GetParam();
  const OutputFormatSettings defaults;
  ScratchFolder folder, decoded;
  int written = 0;
  for (const int bpp : AllowedDepths(format.extension)) {
    const std::string label = format.extension + " at " + std::to_string(bpp);
    const std::string path = folder / ("letter" + std::to_string(bpp) + "." + format.extension);
    Bitmap picture = ApplyTargetDepth(LetterF(format.width, format.height), format.extension, bpp);
    ASSERT_TRUE(picture) << label;

    SaveRequest request;
    request.extension = format.extension;
    request.formatId = kOutputFormats[*OutputFormatIndex(format.extension)].formatId;
    request.saveFlags = BuildSaveFlags(format.extension, defaults);
    request.targetBpp = bpp;
    request.outputPath = path;
    request.devilIntermediatePath =
        folder / (UniqueLetterName("marrowick", "") + "." + format.extension);
    ASSERT_TRUE(SavePicture(picture.get(), request)) << label;
    // Only the outputs: no intermediate or temporary file stays behind.
    EXPECT_EQ(CountEntries(folder.path()), ++written) << label;

    Bitmap back;
    if (format.extension == "jxr") {
      EXPECT_EQ(ReadFileBytes(path)->substr(0, 3), "II\xBC") << label;
      back = DecodeJxr(path, bpp, decoded.path());
    } else if (format.extension == "ico" && bpp == 16) {
      // ImageMagick 6 reads no 16-bit icons; the directory entry says what the file holds.
      const std::string bytes = *ReadFileBytes(path);
      EXPECT_EQ(bytes.substr(0, 4), std::string("\0\0\1\0", 4)) << label;
      EXPECT_EQ(static_cast<unsigned char>(bytes[6]), format.width) << label;
      EXPECT_EQ(static_cast<unsigned char>(bytes[12]), 16) << label;
      back = Bitmap(LoadAny(path));
    } else {
      const std::string found = IdentifyFirst(path);
      EXPECT_EQ(found.substr(0, format.magick.size()), format.magick) << label << ": " << found;
      EXPECT_EQ(found.substr(found.find(' ') + 1),
                std::to_string(format.width) + " " + std::to_string(format.height))
          << label;
      back = Bitmap(LoadAny(path));
    }
    ASSERT_TRUE(back) << label;
    EXPECT_EQ(static_cast<int>(FreeImage_GetBPP(back.get())),
              format.readBackBpp ? format.readBackBpp : bpp)
        << label;
    EXPECT_EQ(FreeImage_GetWidth(back.get()), format.width) << label;
    EXPECT_EQ(FreeImage_GetHeight(back.get()), format.height) << label;
  }
}

INSTANTIATE_TEST_SUITE_P(Formats, RoundTrip, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return info.param.extension;
                         });

namespace {

struct FlagCase {
  std::string extension;
  OutputFormatSettings output;
};

OutputFormatSettings With(void (*change)(OutputFormatSettings&)) {
  OutputFormatSettings output;
  change(output);
  return output;
}

std::vector<FlagCase> FlagCases() {
  std::vector<FlagCase> cases;
  for (int code = 0; code <= 8; ++code)
    for (const TiffColorModel model : {TiffColorModel::Rgb, TiffColorModel::Cmyk}) {
      OutputFormatSettings output;
      output.tiffCompression = code;
      output.tiffColorModel = model;
      cases.push_back({"tiff", output});
    }
  for (int code = 0; code <= 4; ++code) {
    OutputFormatSettings output;
    output.exrCompression = code;
    cases.push_back({"exr", output});
  }
  cases.push_back({"bmp", With([](OutputFormatSettings& o) { o.bmpCompression = 1; })});
  cases.push_back({"tga", With([](OutputFormatSettings& o) { o.tgaCompression = 1; })});
  cases.push_back({"png", With([](OutputFormatSettings& o) {
                     o.pngCompression = 3;
                     o.pngInterlaced = true;
                   })});
  cases.push_back({"jpg", With([](OutputFormatSettings& o) {
                     o.jpgQuality = 60;
                     o.jpgChroma = JpgChroma::High;
                     o.jpgSaveAs = JpgSaveAs::Progressive;
                   })});
  return cases;
}

}  // namespace

TEST(RoundTripWithOptions, CompressionAndColourOptionsStillGiveReadableFiles) {
  for (const FlagCase& flagCase : FlagCases()) {
    ScratchFolder folder;
    const int flags = BuildSaveFlags(flagCase.extension, flagCase.output);
    for (const int bpp : AllowedDepths(flagCase.extension)) {
      const std::string label =
          flagCase.extension + " at " + std::to_string(bpp) + " flags " + std::to_string(flags);
      const std::string path = folder / ("letter" + std::to_string(bpp) + "." + flagCase.extension);
      const Bitmap picture = ApplyTargetDepth(LetterF(6, 5), flagCase.extension, bpp);
      SaveRequest request;
      request.extension = flagCase.extension;
      request.formatId = kOutputFormats[*OutputFormatIndex(flagCase.extension)].formatId;
      request.saveFlags = flags;
      request.targetBpp = bpp;
      request.outputPath = path;
      ASSERT_TRUE(SavePicture(picture.get(), request)) << label;
      const std::string found = IdentifyFirst(path);
      EXPECT_EQ(found.substr(found.find(' ') + 1), "6 5") << label << ": " << found;
    }
  }
}

TEST(RoundTripLimits, SizesThisFreeImageCannotWriteFailCleanly) {
  // Icons: square pictures of 16 to 256 pixels only. JPEG 2000: at least 32 pixels each way
  // (the encoder's six resolution levels do not fit a smaller picture).
  const Case kLimits[] = {{"ico", 6, 5, ""},     {"ico", 20, 16, ""}, {"ico", 8, 8, ""},
                          {"ico", 300, 300, ""}, {"j2k", 6, 5, ""},   {"j2k", 64, 31, ""},
                          {"jp2", 6, 5, ""},     {"jp2", 31, 64, ""}};
  for (const Case& limit : kLimits) {
    ScratchFolder folder;
    for (const int bpp : AllowedDepths(limit.extension)) {
      const std::string label = limit.extension + " " + std::to_string(limit.width) + "x" +
                                std::to_string(limit.height) + " at " + std::to_string(bpp);
      const Bitmap picture =
          ApplyTargetDepth(LetterF(limit.width, limit.height), limit.extension, bpp);
      SaveRequest request;
      request.extension = limit.extension;
      request.formatId = kOutputFormats[*OutputFormatIndex(limit.extension)].formatId;
      request.targetBpp = bpp;
      request.outputPath = folder / ("letter." + limit.extension);
      EXPECT_FALSE(SavePicture(picture.get(), request)) << label;
      EXPECT_EQ(CountEntries(folder.path()), 0) << label;
    }
  }
}
