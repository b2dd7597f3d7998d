// The real PICT corpus through marrowickcmd with no external converter on PATH, so only our
// decoder (and FreeImage's reader after it) can give a picture: every PICT file converts and
// none comes out blank, and the bitmaps, pixmaps and QuickTime pictures come out exactly as
// the reference renderings show them (one of them after the profile its comments carry).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <string>
#include <vector>

#include "pict/colour_profile.h"
#include "pict/image.h"
#include "tests/support/corpus.h"
#include "tests/support/pixels.h"
#include "tests/support/run_program.h"

namespace fs = std::filesystem;

namespace {

// Bitmaps and pixmaps of every depth and packing, bands, masks, frames away from the origin
// and native resolutions: the reference renderings agree with QuickDraw on these.
const char* const kExact[] = {
    "pictsharp/pal1.pict",
    "pictsharp/pal8.pct",
    "pictsharp/rgb16-565.pict",
    "pictsharp/rgb24.pict",
    "pictsharp/rgb32.pict",
    "quickdrawviewer/AlbumWorldMap.pict",
    "quickdrawviewer/KptBryceXanadesFjord.pict",
    "quickdrawviewer/UltraPaint.pict",
    "twelvemonkeys/1.pict",
    "twelvemonkeys/16bit.pict",
    "twelvemonkeys/32bit.pict",
    "twelvemonkeys/BLK.PCT",
    "twelvemonkeys/CatDV==2.0=1=.pict",
    "twelvemonkeys/FLAG_B24.PCT",
    "twelvemonkeys/MARBLES.PCT",
    "twelvemonkeys/TRU256.PCT",
    "twelvemonkeys/mire32.pict",
    "twelvemonkeys/test.pct",
    "twelvemonkeys/qt_png.pict",
    "twelvemonkeys/qt_bmp.pict",
    "twelvemonkeys/qt_jpeg.pict",
    "twelvemonkeys/J19.pict",
};

// Not PICT files, or pictures that really are one colour.
const char* const kNotPictures[] = {"quickdrawviewer/polygon-reference.pict"};
const char* const kOneColour[] = {"twelvemonkeys/BLK.PCT"};

std::string OutputOf(const std::string& out, const std::string& file) {
  const fs::path path(file);
  return out + path.parent_path().string() + "/" + path.stem().string() + ".png";
}

}  // namespace

TEST(PictCorpus, PicturesOurDecoderCoversComeOutAsTheReferencesShowThem) {
  REQUIRE_CORPUS();
  ScratchFolder scratch;
  const std::string in = scratch / "in/", out = scratch / "out/";
  fs::create_directories(out);
  fs::copy(Corpus("pict-real"), in, fs::copy_options::recursive);
  RunOptions options;
  options.withConverter = false;
  RunMarrowick({"-i", in, "-o", out, "-c", "png", "-q"}, options);

  for (const char* file : kExact) {
    const PictureFile reference(Corpus(std::string("refs/pict-real/") + file + ".png"));
    const PictureFile picture(OutputOf(out, file));
    ASSERT_TRUE(reference.IsLoaded()) << file;
    ASSERT_TRUE(picture.IsLoaded()) << file << " was not written";
    EXPECT_TRUE(SamePixels(reference, picture)) << file;
  }
  // Photoshop put a grey ICC profile in ColorSync comments before this one's pixmap; the
  // reference shows the greys as stored, we show them converted to sRGB by that profile.
  {
    const std::string file = "pictsharp/pal2-grayscale.pict";
    std::ifstream in(Corpus("pict-real/" + file), std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    // The one ColorSync comment that begins the profile (kind 224, selector 0) holds all of it.
    const uint8_t begin[] = {0x00, 0xA1, 0x00, 0xE0};
    const auto at = std::search(bytes.begin(), bytes.end(), std::begin(begin), std::end(begin));
    ASSERT_NE(at, bytes.end()) << file;
    const size_t length = size_t(at[4]) << 8 | at[5];
    const std::span<const uint8_t> profile(&at[10], length - 4);
    const PictureFile reference(Corpus("refs/pict-real/" + file + ".png"));
    const PictureFile picture(OutputOf(out, file));
    ASSERT_TRUE(reference.IsLoaded() && picture.IsLoaded()) << file;
    pict::Image expected(reference.width(), reference.height(), 0);
    for (int y = 0; y < expected.height; ++y)
      for (int x = 0; x < expected.width; ++x) {
        const Rgb c = reference.At(x, y);
        expected.At(x, y) =
            0xFF000000u | uint32_t(c.red) << 16 | uint32_t(c.green) << 8 | uint32_t(c.blue);
      }
    ASSERT_TRUE(pict::ConvertToSrgb(expected, profile)) << file;
    int changed = 0;
    for (int y = 0; y < expected.height; ++y)
      for (int x = 0; x < expected.width; ++x) {
        const uint32_t e = expected.At(x, y);
        ASSERT_EQ(picture.At(x, y), (Rgb{int(e >> 16 & 0xFF), int(e >> 8 & 0xFF), int(e & 0xFF)}))
            << file << " at " << x << "," << y;
        changed += !(picture.At(x, y) == reference.At(x, y));
      }
    EXPECT_GT(changed, 0) << file << ": the profile changed nothing";
  }
  auto isIn = [](const std::string& file, const auto& list) {
    return std::find(std::begin(list), std::end(list), file) != std::end(list);
  };
  for (const auto& entry : fs::recursive_directory_iterator(Corpus("pict-real"))) {
    const std::string ext = entry.path().extension().string();
    if (ext == ".md" || !entry.is_regular_file()) continue;
    const std::string file = fs::relative(entry.path(), Corpus("pict-real")).string();
    const PictureFile picture(OutputOf(out, file));
    if (isIn(file, kNotPictures)) {
      EXPECT_FALSE(picture.IsLoaded()) << file << " is no PICT but was converted";
      continue;
    }
    ASSERT_TRUE(picture.IsLoaded()) << file << " was not written";
    if (isIn(file, kOneColour)) continue;
    const Rgb corner = picture.At(0, 0);
    EXPECT_LT(picture.Count(corner), picture.width() * picture.height()) << file << " is blank";
  }
}
