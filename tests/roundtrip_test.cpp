// Every output format at every depth its registry entry allows: the file written through the
// depth step and the writer opens in another reader with the right format, size and depth.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

#include "pipeline/depth.h"
#include "pipeline/save.h"
#include "platform/files.h"
#include "tests/support/devil.h"
#include "tests/support/formats.h"
#include "tests/support/letter_f.h"
#include "tests/support/run_program.h"
#include "tests/support/save_picture.h"

namespace {

const auto* const kDevil = ::testing::AddGlobalTestEnvironment(new DevilEnvironment);

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
  const OutputFormat& format = Format(extension);
  return {format.depths.begin(), format.depths.end()};
}

// Draws the letter at the given size, brings it to bpp and saves it with default options. The
// letter is drawn at 32 bits on half-transparent blue: the transparency keeps 32-bit PNG and WebP
// files from being stored as 24-bit.
bool SaveLetter(const std::string& extension, unsigned width, unsigned height, int bpp,
                const std::string& path) {
  const Bitmap picture = ApplyTargetDepth(LetterF(width, height, 32, 96), Format(extension), bpp);
  TestSaveRequest request;
  request.format = &Format(extension);
  request.output = OutputFormatSettings{};
  request.targetBpp = bpp;
  request.outputPath = path;
  return picture && SavePicture(picture.get(), request);
}

// ImageMagick's format name and size of the first picture in the file.
std::string IdentifyFirst(const std::string& path) {
  std::string output(256, '\0');
  FILE* pipe = popen(("identify -format '%m %w %h\\n' '" + path + "' 2>/dev/null").c_str(), "r");
  output.resize(pipe ? fread(output.data(), 1, output.size(), pipe) : 0);
  if (pipe) pclose(pipe);
  return output.substr(0, output.find('\n'));
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
  ScratchFolder folder, decoded;
  int written = 0;
  for (const int bpp : AllowedDepths(format.extension)) {
    const std::string label = format.extension + " at " + std::to_string(bpp);
    const std::string path = folder / ("letter" + std::to_string(bpp) + "." + format.extension);
    ASSERT_TRUE(SaveLetter(format.extension, format.width, format.height, bpp, path)) << label;
    // Only the outputs: no intermediate or temporary file stays behind.
    EXPECT_EQ(CountEntries(folder.path()), ++written) << label;

    Bitmap back;
    if (format.extension == "jxr") {
      EXPECT_EQ(ReadFileBytes(path)->substr(0, 3), "II\xBC") << label;
      back = DecodeJxr(path, bpp, decoded.path());
    } else if (format.extension == "ico" && bpp == 16) {
      // ImageMagick 6 reads no 16-bit icons; the directory entry says what the file holds.
      const std::string bytes = *ReadFileBytes(path);
      EXPECT_EQ(bytes.substr(0, 7), std::string("\0\0\1\0\1\0\x20", 7)) << label;
      EXPECT_EQ(bytes[12], 16) << label;
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

TEST(RoundTripLimits, SizesThisFreeImageCannotWriteFailCleanly) {
  // Icons: square pictures of 16 to 256 pixels only. JPEG 2000: at least 32 pixels each way
  // (its six resolution levels do not fit a smaller picture).
  const Case kLimits[] = {{"ico", 6, 5, ""},     {"ico", 20, 16, ""}, {"ico", 8, 8, ""},
                          {"ico", 300, 300, ""}, {"j2k", 6, 5, ""},   {"j2k", 64, 31, ""},
                          {"jp2", 6, 5, ""},     {"jp2", 31, 64, ""}};
  for (const Case& limit : kLimits) {
    ScratchFolder folder;
    for (const int bpp : AllowedDepths(limit.extension)) {
      EXPECT_FALSE(SaveLetter(limit.extension, limit.width, limit.height, bpp,
                              folder / ("letter." + limit.extension)))
          << limit.extension << " " << limit.width << "x" << limit.height << " at " << bpp;
      EXPECT_EQ(CountEntries(folder.path()), 0);
    }
  }
}
