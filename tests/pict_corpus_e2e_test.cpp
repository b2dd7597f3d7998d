// The real PICT corpus through marrowickcmd with no external converter on PATH, so only our
// decoder (and FreeImage's reader after it) can give a picture: every PICT file converts and
// none comes out blank, and the bitmaps, pixmaps and QuickTime pictures come out exactly as
// the reference renderings show them.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <string>

#include "tests/support/corpus.h"
#include "tests/support/pixels.h"
#include "tests/support/run_program.h"

namespace fs = std::filesystem;

namespace {

// Bitmaps and pixmaps of every depth and packing, bands, masks, frames away from the origin
// and native resolutions: the reference renderings agree with QuickDraw on these.
const char* const kExact[] = {
    "pictsharp/pal1.pict",          "pictsharp/pal2-grayscale.pict",
    "pictsharp/pal8.pct",           "pictsharp/rgb16-565.pict",
    "pictsharp/rgb24.pict",         "pictsharp/rgb32.pict",
    "quickdrawviewer/AlbumWorldMap.pict", "quickdrawviewer/KptBryceXanadesFjord.pict",
    "quickdrawviewer/UltraPaint.pict",    "twelvemonkeys/1.pict",
    "twelvemonkeys/16bit.pict",     "twelvemonkeys/32bit.pict",
    "twelvemonkeys/BLK.PCT",        "twelvemonkeys/CatDV==2.0=1=.pict",
    "twelvemonkeys/FLAG_B24.PCT",   "twelvemonkeys/MARBLES.PCT",
    "twelvemonkeys/TRU256.PCT",     "twelvemonkeys/mire32.pict",
    "twelvemonkeys/test.pct",       "twelvemonkeys/qt_png.pict",
    "twelvemonkeys/qt_bmp.pict",    "twelvemonkeys/qt_jpeg.pict",
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
